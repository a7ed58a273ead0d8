#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFrame>
#include <QListWidget>
#include <QScrollBar>
#include <chrono>
#include <thread>

#include "testing/test_program.h"
#include "ui/qt/window_driver.h"

namespace {

using Lines = std::vector<std::string>;

class QtWindowTest : public testing::Test {
 protected:
  TestProgram program{"finder"};
  QtWindow window{program.Options()};
  MainForm& form = window.form();

  void Show() {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
};

// ---- Layout ----

TEST_F(QtWindowTest, EveryControlIsBuiltFromTheLayoutTable) {
  static const char* const kClasses[] = {"QFrame",    "QLabel",         "QListWidget",
                                         "QGroupBox", "QPlainTextEdit", "QPushButton",
                                         "QScrollBar"};
  const QWidget* personFrame = window.control(u"PersonFrame");
  const auto* progressFrame = Find<QFrame>(window, u"processBar_Parent");
  for (const ControlLayout& layout : kWindowLayout) {
    SCOPED_TRACE(Utf8(layout.Name));
    const QWidget* widget = window.control(layout.Name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->objectName().toStdU16String(), layout.Name);
    EXPECT_STREQ(widget->metaObject()->className(), kClasses[static_cast<int>(layout.Kind)]);
    EXPECT_TRUE(!widget->isHidden() && widget->isEnabled());
    EXPECT_EQ(widget->font(), window.font());
    if (layout.Kind != ControlKind::PictureBox && layout.Kind != ControlKind::ListBox) {
      EXPECT_EQ(TextOf(window, layout.Name).toStdU16String(), layout.Text);
    }

    // Positions count from the container; the bar's container is its frame's inside.
    const QWidget* container =
        layout.Parent == Container::Window ? &window
        : layout.Parent == Container::PersonFrame
            ? personFrame
            : progressFrame->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(widget->parentWidget(), container);
    const int width = layout.Width == kWidthSetAtRunTime ? 0 : window.pixels(layout.Width);
    EXPECT_EQ(widget->geometry(), QRect(window.pixels(layout.Left), window.pixels(layout.Top),
                                        width, window.pixels(layout.Height)));
  }
  EXPECT_EQ(progressFrame->contentsRect().width(), progressFrame->width() - 4);
}

TEST_F(QtWindowTest, WindowHasTheFixedDesignedSizeAndFont) {
  const double scale = window.logicalDpiX() / 96.0;
  const QSize size(qRound(586 * scale), qRound(306 * scale));  // 8790 x 4590 twips
  EXPECT_EQ(window.minimumSize(), size);
  EXPECT_EQ(window.maximumSize(), size);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.25);
  EXPECT_FALSE(window.font().bold() || window.font().italic());
}

TEST_F(QtWindowTest, TabOrderFollowsTheTable) {
  const std::vector<std::u16string> expected = {u"PersonList", u"PersonFundstelleVerzeichnis",
                                                u"SortList",   u"PersonFundstellenAuswahl",
                                                u"Command1",   u"Command2"};
  std::vector<std::u16string> chain;
  QWidget* start = window.control(expected.front());
  QWidget* widget = start;
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) && window.isAncestorOf(widget) &&
        window.control(widget->objectName().toStdU16String()) == widget) {
      chain.push_back(widget->objectName().toStdU16String());
    }
    widget = widget->nextInFocusChain();
  } while (widget != start);
  EXPECT_EQ(chain, expected);
}

// ---- From the model to the widgets ----

TEST_F(QtWindowTest, LoadShowsTheInitialDisplay) {
  form.Form_Load();
  // Status controls reach their widgets when events are next processed.
  EXPECT_EQ(TextOf(window, u"Status"), "");
  QCoreApplication::processEvents();
  EXPECT_EQ(window.windowTitle(), "finder");
  EXPECT_EQ(TextOf(window, u"Status"), "Start");
  EXPECT_EQ(TextOf(window, u"anzFolders"), "0");
  EXPECT_EQ(TextOf(window, u"anzFiles"), "0");
  EXPECT_EQ(TextOf(window, u"allSize"), "0 B");
  EXPECT_EQ(window.control(u"processBar")->width(), 0);
  EXPECT_EQ(program.LogLines(), Lines{"START finder"});
}

TEST_F(QtWindowTest, ProgressBarIsBlueAndFillsTheInsideOfItsFrameAtMost) {
  const QWidget* bar = window.control(u"processBar");
  const int inside = bar->parentWidget()->width();
  for (const auto& [fraction, width] : std::vector<std::pair<double, int>>{
           {0, 0}, {0.5, qRound(inside * 0.5)}, {1, inside}, {2.5, inside}, {-1, 0}}) {
    form.SetProgress(fraction);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->geometry(), QRect(0, 0, width, bar->height())) << fraction;
  }
  EXPECT_TRUE(bar->autoFillBackground());
  EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0, 0, 255));
}

TEST_F(QtWindowTest, ModelChangesReachTheirWidgetsWithoutStartingHandlers) {
  Show();
  const auto* list = Find<QListWidget>(window, u"PersonList");
  const auto* selector = Find<QScrollBar>(window, u"PersonFundstellenAuswahl");
  const auto listed = [list] {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
      texts.append(list->item(row)->text());
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return texts.join(',') + " / " + (selected.isEmpty() ? "-" : selected.front()->text());
  };

  form.PersonList.Items = {u"Nord", u"Hafen", u"Lager"};
  form.PersonList.ListIndex = 1;
  window.controlChanged(ControlId::PersonList);
  EXPECT_EQ(listed(), "Nord,Hafen,Lager / Hafen");
  form.PersonList.Items = {u"Lager", u"Nord"};
  form.PersonList.ListIndex = -1;
  window.controlChanged(ControlId::PersonList);
  EXPECT_EQ(listed(), "Lager,Nord / -");

  form.PersonFundstellenAuswahl = {false, 1, 40000, 33000};
  window.controlChanged(ControlId::PersonFundstellenAuswahl);
  EXPECT_EQ(selector->maximum(), 40000);
  EXPECT_EQ(selector->value(), 33000);
  EXPECT_FALSE(selector->isEnabled());

  // Names and paths are shown as written: no markup, no keyboard shortcut.
  form.PersonFrame.Caption = u"Müller & Söhne";
  window.controlChanged(ControlId::PersonFrame);
  EXPECT_EQ(TextOf(window, u"PersonFrame"), QString::fromUtf8("Müller && Söhne"));
  form.SetStatus(u"<b>x</b>");
  EXPECT_EQ(Find<QLabel>(window, u"Status")->textFormat(), Qt::PlainText);
}

// ---- Message boxes ----

TEST_F(QtWindowTest, MessageBoxesAskInGermanAndReportTheButton) {
  struct Case {
    MessageButtons Buttons;
    DefaultButton Default;
    BoxAnswer Act;
    MessageAnswer Expected;
  };
  using enum MessageButtons;
  using enum DefaultButton;
  const Case cases[] = {
      {Ok, First, Click("OK"), MessageAnswer::Ok},
      {YesNo, Second, Click("Ja"), MessageAnswer::Yes},
      {YesNo, Second, Click("Nein"), MessageAnswer::No},
      {YesNo, Second, Press(Qt::Key_Return), MessageAnswer::No},
      {YesNo, First, Press(Qt::Key_Return), MessageAnswer::Yes},
      {YesNo, First, Press(Qt::Key_Escape), MessageAnswer::No},
  };
  Show();
  for (const Case& row : cases) {
    SCOPED_TRACE(&row - cases);
    const BoxAnswers answers({row.Act});
    EXPECT_EQ(window.messageBox({u"Wirklich?", u"Wirklich löschen?", row.Buttons,
                                 MessageIcon::Critical, row.Default}),
              row.Expected);
    ASSERT_EQ(answers.Seen.size(), 1u);
    const SeenBox& seen = answers.Seen[0];
    EXPECT_EQ(seen.Title, QString::fromUtf8("Wirklich löschen?"));
    EXPECT_EQ(seen.Text, "Wirklich?");
    EXPECT_TRUE(seen.Critical);
    const QStringList buttons = row.Buttons == Ok ? QStringList{"OK"} : QStringList{"Ja", "Nein"};
    EXPECT_EQ(seen.Buttons, buttons);
    EXPECT_EQ(seen.Default, buttons[row.Default == Second ? 1 : 0]);
  }
}

// ---- Start, pending events and the end ----

TEST_F(QtWindowTest, RunStartsOnceTheWindowIsPaintedAndReportsTheMissingConfiguration) {
  form.Form_Load();
  window.startRunWhenShown();
  QTest::qWait(50);
  EXPECT_TRUE(form.StartTimer.Enabled) << "the run must wait for the window";

  const BoxAnswers answers({Click("OK")});
  Show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return TextOf(window, u"Status") == "fertig"; }, 5000));
  ASSERT_EQ(answers.Seen.size(), 1u);
  EXPECT_EQ(answers.Seen[0].Text, "Die Konfigurationsdatei wurde nicht gefunden.");
  EXPECT_EQ(answers.Seen[0].Title, "Fehler");

  window.close();
  window.close();
  EXPECT_TRUE(form.StopRequested);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(program.LogLines(), (Lines{"START finder", "EXIT"}));
}

TEST_F(QtWindowTest, ClosingBeforeTheRunStartsMeansItNeverStarts) {
  form.Form_Load();
  window.startRunWhenShown();
  Show();
  window.close();
  QTest::qWait(50);
  EXPECT_EQ(TextOf(window, u"Status"), "Start");
  EXPECT_EQ(program.LogLines(), (Lines{"START finder", "EXIT"}));
}

TEST_F(QtWindowTest, ClosingWhileABoxIsOpenAnswersItWithNo) {
  form.Form_Load();
  Show();
  const BoxAnswers answers({[this](QMessageBox&) { window.close(); }});
  EXPECT_EQ(window.messageBox({u"?", u"Fehler", MessageButtons::YesNo, MessageIcon::Critical,
                               DefaultButton::First}),
            MessageAnswer::No);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(program.LogLines(), (Lines{"START finder", "EXIT"}));
}

TEST_F(QtWindowTest, AClosedWindowLetsNothingRunAndShowsNothing) {
  form.Form_Load();
  Show();
  QMetaObject::invokeMethod(
      &window, [this] { window.close(); }, Qt::QueuedConnection);
  window.processPendingMessages();  // the first point is always due
  ASSERT_TRUE(form.StopRequested);

  bool ran = false;
  QObject context;  // drops the queued call when the test ends
  QMetaObject::invokeMethod(
      &context, [&ran] { ran = true; }, Qt::QueuedConnection);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  window.processPendingMessages();
  EXPECT_FALSE(ran);
  form.SetStatus(u"nachher");
  EXPECT_EQ(TextOf(window, u"Status"), "Start");
  EXPECT_EQ(window.messageBox({u"?", u"Fehler", MessageButtons::YesNo, MessageIcon::Critical,
                               DefaultButton::First}),
            MessageAnswer::No);
}

TEST_F(QtWindowTest, PendingPointsProcessEventsAtMostEveryFifteenMilliseconds) {
  int rounds = 0;
  QObject context;  // drops the last queued call when the test ends
  std::function<void()> repost = [&] {
    ++rounds;
    QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
  };
  QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 100)
    window.processPendingMessages();
  EXPECT_GE(rounds, 1);
  EXPECT_LE(rounds, clock.elapsed() / 15 + 1);
}

}  // namespace
