#include "ui/qt/qt_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <thread>

#include "testing/test_program.h"

// Readable failure output for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << text.toStdString();
}

namespace {

using Lines = std::vector<std::string>;

/// One user input as it reached the form: the event and the model values the handler saw.
struct Delivered {
  UserEvent Event;
  int ListIndex;
  int SelectorValue;
  bool operator==(const Delivered&) const = default;
};

/// The real window, recording each user input instead of running the handler, which would act
/// on persons and files these tests do not set up.
class RecordingWindow : public QtWindow {
 public:
  using QtWindow::QtWindow;
  std::vector<Delivered> Events;

 protected:
  void deliver(UserEvent event) override {
    Events.push_back({event, form().PersonList.ListIndex, form().PersonFundstellenAuswahl.Value});
  }
};

template <typename Widget>
Widget* Find(const QtWindow& window, std::u16string_view name) {
  return qobject_cast<Widget*>(window.control(name));
}

QString TextOf(const QtWindow& window, std::u16string_view name) {
  const QWidget* widget = window.control(name);
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) return button->text();
  if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
  return {};
}

/// What a message box showed: title, text, buttons, default button.
struct SeenBox {
  QString Title, Text;
  QStringList Buttons;
  QString Default;
  bool Critical = false;
};

/// Waits (until owner goes) for the next modal box, records it into seen and lets act answer.
void AnswerNextBox(QObject* owner, SeenBox& seen, std::function<void(QMessageBox&)> act) {
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &seen, act = std::move(act)] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll->deleteLater();
    seen = {box->windowTitle(), box->text(), {}, {}, box->icon() == QMessageBox::Critical};
    for (QAbstractButton* button : box->buttons())
      seen.Buttons.append(button->text());
    if (box->defaultButton() != nullptr) seen.Default = box->defaultButton()->text();
    act(*box);
  });
  poll->start(5);
}

std::function<void(QMessageBox&)> Click(const QString& text) {
  return [text](QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
      if (button->text() == text) QTest::mouseClick(button, Qt::LeftButton);
    }
  };
}

std::function<void(QMessageBox&)> Press(Qt::Key key) {
  return [key](QMessageBox& box) { QTest::keyClick(&box, key); };
}

class QtWindowTest : public testing::Test {
 protected:
  TestProgram program{"finder"};
  RecordingWindow window{program.Options()};
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

  EXPECT_TRUE(window.Events.empty());
}

// ---- From the user to the handlers ----

TEST_F(QtWindowTest, ListSelectionIsInTheModelBeforeTheHandlerRuns) {
  form.PersonList.Items = {u"Nord", u"Hafen", u"Lager"};
  window.controlChanged(ControlId::PersonList);
  Show();
  QListWidget* list = Find<QListWidget>(window, u"PersonList");

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(2)).center());
  QTest::keyClick(list, Qt::Key_Up);

  const std::vector<Delivered> expected = {{UserEvent::PersonListClick, 2, 1},
                                           {UserEvent::PersonListClick, 1, 1}};
  EXPECT_EQ(window.Events, expected);
}

TEST_F(QtWindowTest, SelectorReportsStepsAsChangesAndDragsAsScrolls) {
  form.PersonFundstellenAuswahl.Max = 5;
  window.controlChanged(ControlId::PersonFundstellenAuswahl);
  Show();
  QScrollBar* selector = Find<QScrollBar>(window, u"PersonFundstellenAuswahl");

  QTest::keyClick(selector, Qt::Key_End);
  QTest::keyClick(selector, Qt::Key_Left);
  selector->setSliderDown(true);  // a drag: the value follows only on release
  selector->setSliderPosition(2);
  selector->setSliderPosition(5);
  selector->setSliderDown(false);

  const std::vector<Delivered> expected = {{UserEvent::SelectorChange, -1, 5},
                                           {UserEvent::SelectorChange, -1, 4},
                                           {UserEvent::SelectorScroll, -1, 2},
                                           {UserEvent::SelectorScroll, -1, 5},
                                           {UserEvent::SelectorChange, -1, 5}};
  EXPECT_EQ(window.Events, expected);
}

TEST_F(QtWindowTest, ButtonsStartTheirHandlersOnlyWhenEnabled) {
  form.Command1.Enabled = false;
  window.controlChanged(ControlId::Command1);
  Show();
  for (const char16_t* name : {u"SortList", u"Command1", u"Command2"}) {
    QTest::mouseClick(Find<QPushButton>(window, name), Qt::LeftButton);
  }
  ASSERT_EQ(window.Events.size(), 2u);
  EXPECT_EQ(window.Events[0].Event, UserEvent::SortListClick);
  EXPECT_EQ(window.Events[1].Event, UserEvent::Command2Click);
}

TEST_F(QtWindowTest, MessageBoxesAskInGermanAndReportTheButton) {
  struct Case {
    MessageButtons Buttons;
    DefaultButton Default;
    std::function<void(QMessageBox&)> Act;
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
    SeenBox seen;
    AnswerNextBox(&window, seen, row.Act);
    EXPECT_EQ(window.messageBox({u"Wirklich?", u"Wirklich löschen?", row.Buttons,
                                 MessageIcon::Critical, row.Default}),
              row.Expected);
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

  SeenBox seen;
  AnswerNextBox(&window, seen, Click("OK"));
  Show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return TextOf(window, u"Status") == "fertig"; }, 5000));
  EXPECT_EQ(seen.Text, "Die Konfigurationsdatei wurde nicht gefunden.");
  EXPECT_EQ(seen.Title, "Fehler");

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
  SeenBox seen;
  AnswerNextBox(&window, seen, [this](QMessageBox&) { window.close(); });
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
