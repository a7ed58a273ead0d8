#include "ui/qt/qt_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "testing/test_program.h"

// Readable failure output for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
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

/// The real window, recording each user input that would start a handler. The handlers
/// themselves are left out: they act on persons and files these tests do not set up.
class RecordingWindow : public QtWindow {
 public:
  using QtWindow::QtWindow;
  std::vector<Delivered> Events;

 protected:
  void deliver(UserEvent event) override {
    Events.push_back({event, form().PersonList.ListIndex, form().PersonFundstellenAuswahl.Value});
  }
};

/// Lets events run until condition holds or five seconds have passed.
bool WaitFor(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 5000);
}

template <typename Widget>
Widget* Find(const QtWindow& window, std::u16string_view name) {
  auto* widget = qobject_cast<Widget*>(window.control(name));
  EXPECT_NE(widget, nullptr) << Utf8(name);
  return widget;
}

QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

/// The visible text of a label, button or frame.
QString TextOf(const QWidget* widget) {
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) return button->text();
  if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
  return {};
}

/// What the test saw of a message box, and what it did with it.
struct SeenBox {
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QStringList Buttons;
  QString DefaultButton;
  bool Seen = false;
};

/// Waits for the next modal message box and lets act answer it; fills seen on the way. The
/// waiting ends with owner at the latest.
void AnswerNextBox(QObject* owner, SeenBox& seen, std::function<void(QMessageBox&)> act) {
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &seen, act = std::move(act)] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    seen.Seen = true;
    seen.Title = box->windowTitle();
    seen.Text = box->text();
    seen.Icon = box->icon();
    for (QAbstractButton* button : box->buttons())
      seen.Buttons.append(button->text());
    if (box->defaultButton() != nullptr) seen.DefaultButton = box->defaultButton()->text();
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

const char* ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::PictureBox:
      return "QFrame";
    case ControlKind::Label:
      return "QLabel";
    case ControlKind::ListBox:
      return "QListWidget";
    case ControlKind::Frame:
      return "QGroupBox";
    case ControlKind::TextBox:
      return "QPlainTextEdit";
    case ControlKind::CommandButton:
      return "QPushButton";
    case ControlKind::HScrollBar:
      return "QScrollBar";
  }
  return "";
}

TEST_F(QtWindowTest, EveryControlIsBuiltFromTheLayoutTable) {
  const QWidget* personFrame = window.control(u"PersonFrame");
  const QWidget* progressFrame = window.control(u"processBar_Parent");
  for (const ControlLayout& layout : kWindowLayout) {
    SCOPED_TRACE(Utf8(layout.Name));
    const QWidget* widget = window.control(layout.Name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->objectName().toStdU16String(), layout.Name);
    EXPECT_STREQ(widget->metaObject()->className(), ClassOf(layout.Kind));
    EXPECT_FALSE(widget->isHidden());
    EXPECT_TRUE(widget->isEnabled());
    EXPECT_EQ(widget->font(), window.font());

    // Positions are relative to the container; the bar sits inside its frame's border.
    switch (layout.Parent) {
      case Container::Window:
        EXPECT_EQ(widget->parentWidget(), &window);
        break;
      case Container::PersonFrame:
        EXPECT_EQ(widget->parentWidget(), personFrame);
        EXPECT_TRUE(personFrame->rect().contains(widget->geometry()));
        break;
      case Container::processBar_Parent:
        EXPECT_EQ(widget->parentWidget()->parentWidget(), progressFrame);
        EXPECT_EQ(widget->parentWidget()->geometry(),
                  static_cast<const QFrame*>(progressFrame)->contentsRect());
        break;
    }
    const int width = layout.Width == kWidthSetAtRunTime ? 0 : window.pixels(layout.Width);
    EXPECT_EQ(widget->geometry(), QRect(window.pixels(layout.Left), window.pixels(layout.Top),
                                        width, window.pixels(layout.Height)));
    if (layout.Kind == ControlKind::Label || layout.Kind == ControlKind::CommandButton ||
        layout.Kind == ControlKind::Frame) {
      EXPECT_EQ(TextOf(widget).toStdU16String(), layout.Text);
    }
  }
}

TEST_F(QtWindowTest, TwipsBecomePixelsAtTheWindowsResolution) {
  const double scale = window.logicalDpiX() / 96.0;
  struct Case {
    int Twips;
    double PixelsAt96Dpi;
  };
  for (const Case& row : {Case{0, 0}, Case{15, 1}, Case{255, 17}, Case{8790, 586}, Case{4590, 306},
                          Case{6375, 425}}) {
    EXPECT_EQ(window.pixels(row.Twips), qRound(row.PixelsAt96Dpi * scale)) << row.Twips;
  }
}

TEST_F(QtWindowTest, WindowHasTheDesignedFixedSizeAndFont) {
  const QSize size(window.pixels(kWindowWidthTwips), window.pixels(kWindowHeightTwips));
  EXPECT_EQ(window.size(), size);
  EXPECT_EQ(window.minimumSize(), size);
  EXPECT_EQ(window.maximumSize(), size);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);

  EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.25);
  EXPECT_FALSE(window.font().bold());
  EXPECT_FALSE(window.font().italic());
  if (QFontDatabase::hasFamily(QStringLiteral("Verdana"))) {
    EXPECT_EQ(window.font().family(), QStringLiteral("Verdana"));
  } else {
    EXPECT_EQ(window.font().styleHint(), QFont::SansSerif);
  }
}

TEST_F(QtWindowTest, TabOrderFollowsTheTable) {
  std::vector<std::u16string> expected;
  for (const ControlLayout& layout : kWindowLayout) {
    if (window.control(layout.Name)->focusPolicy() & Qt::TabFocus)
      expected.emplace_back(layout.Name);
  }
  ASSERT_EQ(expected,
            (std::vector<std::u16string>{u"PersonList", u"PersonFundstelleVerzeichnis", u"SortList",
                                         u"PersonFundstellenAuswahl", u"Command1", u"Command2"}));

  std::vector<std::u16string> chain;
  QWidget* start = window.control(expected.front());
  QWidget* widget = start;
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) && window.isAncestorOf(widget) &&
        !widget->objectName().isEmpty()) {
      chain.push_back(widget->objectName().toStdU16String());
    }
    widget = widget->nextInFocusChain();
  } while (widget != start);
  EXPECT_EQ(chain, expected);
}

// ---- Initial state and mirroring ----

TEST_F(QtWindowTest, LoadShowsTheInitialDisplay) {
  form.Form_Load();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("finder"));
  EXPECT_EQ(Find<QLabel>(window, u"Status")->text(), QStringLiteral("Start"));
  EXPECT_EQ(Find<QLabel>(window, u"anzFolders")->text(), QStringLiteral("0"));
  EXPECT_EQ(Find<QLabel>(window, u"anzFiles")->text(), QStringLiteral("0"));
  EXPECT_EQ(Find<QLabel>(window, u"allSize")->text(), QStringLiteral("0 B"));
  EXPECT_EQ(window.control(u"processBar")->width(), 0);
  EXPECT_EQ(Find<QListWidget>(window, u"PersonList")->count(), 0);
  EXPECT_EQ(Find<QGroupBox>(window, u"PersonFrame")->title(), QString());
  const QScrollBar* selector = Find<QScrollBar>(window, u"PersonFundstellenAuswahl");
  EXPECT_EQ(selector->minimum(), 1);
  EXPECT_EQ(selector->maximum(), 1);
  EXPECT_EQ(selector->value(), 1);
  EXPECT_TRUE(selector->isEnabled());
  EXPECT_EQ(program.LogLines(), Lines{"START finder"});
}

TEST_F(QtWindowTest, ProgressFillsTheInsideOfItsFrameAndIsClippedThere) {
  const QWidget* bar = window.control(u"processBar");
  const int inside = bar->parentWidget()->width();
  ASSERT_EQ(inside, window.control(u"processBar_Parent")->width() - 4);
  struct Case {
    double Fraction;
    int Width;
  };
  for (const Case& row : {Case{0, 0}, Case{1, inside}, Case{0.5, qRound(inside * 0.5)},
                          Case{2.5, inside}, Case{-1, 0}}) {
    form.SetProgress(row.Fraction);
    EXPECT_EQ(bar->width(), row.Width) << row.Fraction;
    EXPECT_EQ(bar->pos(), QPoint(0, 0));
  }
  EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0, 0, 255));
  EXPECT_TRUE(bar->autoFillBackground());
}

TEST_F(QtWindowTest, ModelChangesReachTheirWidgetsWithoutStartingHandlers) {
  struct Case {
    const char* What;
    std::function<void(MainForm&)> Change;
    ControlId Control;
    std::function<void(const QtWindow&)> Check;
  };
  const std::vector<Case> cases = {
      {"status keeps markup as text", [](MainForm& f) { f.Status.Caption = u"<b>C:/x</b>"; },
       ControlId::Status,
       [](const QtWindow& w) {
         EXPECT_EQ(Find<QLabel>(w, u"Status")->text(), QStringLiteral("<b>C:/x</b>"));
         EXPECT_EQ(Find<QLabel>(w, u"Status")->textFormat(), Qt::PlainText);
       }},
      {"counts", [](MainForm& f) { f.SetFolderCount(-12); }, ControlId::anzFolders,
       [](const QtWindow& w) { EXPECT_EQ(Find<QLabel>(w, u"anzFolders")->text(), "-12"); }},
      {"list items and selection",
       [](MainForm& f) {
         f.PersonList.Items = {u"Nord", u"Hafen", u"Lager"};
         f.PersonList.ListIndex = 1;
       },
       ControlId::PersonList,
       [](const QtWindow& w) {
         const QListWidget* list = Find<QListWidget>(w, u"PersonList");
         ASSERT_EQ(list->count(), 3);
         EXPECT_EQ(list->item(2)->text(), QStringLiteral("Lager"));
         EXPECT_EQ(list->currentRow(), 1);
         ASSERT_EQ(list->selectedItems().size(), 1);
         EXPECT_EQ(list->selectedItems().front()->text(), QStringLiteral("Hafen"));
       }},
      {"list rebuilt in a new order without selection",
       [](MainForm& f) {
         f.PersonList.Items = {u"Lager", u"Nord"};
         f.PersonList.ListIndex = -1;
       },
       ControlId::PersonList,
       [](const QtWindow& w) {
         const QListWidget* list = Find<QListWidget>(w, u"PersonList");
         ASSERT_EQ(list->count(), 2);
         EXPECT_EQ(list->item(0)->text(), QStringLiteral("Lager"));
         EXPECT_EQ(list->item(1)->text(), QStringLiteral("Nord"));
         EXPECT_TRUE(list->selectedItems().isEmpty());
       }},
      {"frame caption shows an ampersand",
       [](MainForm& f) { f.PersonFrame.Caption = u"Müller & Söhne"; }, ControlId::PersonFrame,
       [](const QtWindow& w) {
         EXPECT_EQ(Find<QGroupBox>(w, u"PersonFrame")->title(), Q("Müller && Söhne"));
       }},
      {"selector range, value and state",
       [](MainForm& f) {
         f.PersonFundstellenAuswahl.Max = 40000;
         f.PersonFundstellenAuswahl.Value = 33000;
         f.PersonFundstellenAuswahl.Enabled = false;
       },
       ControlId::PersonFundstellenAuswahl,
       [](const QtWindow& w) {
         const QScrollBar* selector = Find<QScrollBar>(w, u"PersonFundstellenAuswahl");
         EXPECT_EQ(selector->minimum(), 1);
         EXPECT_EQ(selector->maximum(), 40000);
         EXPECT_EQ(selector->value(), 33000);
         EXPECT_FALSE(selector->isEnabled());
       }},
      {"path box", [](MainForm& f) { f.PersonFundstelleVerzeichnis.Text = u"/a/b c/ä.txt"; },
       ControlId::PersonFundstelleVerzeichnis,
       [](const QtWindow& w) {
         EXPECT_EQ(Find<QPlainTextEdit>(w, u"PersonFundstelleVerzeichnis")->toPlainText(),
                   Q("/a/b c/ä.txt"));
       }},
      {"button state", [](MainForm& f) { f.Command2.Enabled = false; }, ControlId::Command2,
       [](const QtWindow& w) {
         EXPECT_FALSE(Find<QPushButton>(w, u"Command2")->isEnabled());
         EXPECT_EQ(Find<QPushButton>(w, u"Command2")->text(), Q("endgültig löschen"));
       }},
  };
  Show();
  for (const Case& row : cases) {
    SCOPED_TRACE(row.What);
    row.Change(form);
    window.controlChanged(row.Control);
    row.Check(window);
  }
  EXPECT_TRUE(window.Events.empty());
}

// ---- User input ----

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
  EXPECT_EQ(form.PersonList.ListIndex, 1);
}

TEST_F(QtWindowTest, SelectorReportsChangesAndDrags) {
  form.PersonFundstellenAuswahl.Max = 5;
  window.controlChanged(ControlId::PersonFundstellenAuswahl);
  Show();
  QScrollBar* selector = Find<QScrollBar>(window, u"PersonFundstellenAuswahl");

  // A click on the right arrow: one step, one change.
  QStyleOptionSlider option;
  option.initFrom(selector);
  option.orientation = Qt::Horizontal;
  option.minimum = selector->minimum();
  option.maximum = selector->maximum();
  option.sliderPosition = selector->sliderPosition();
  option.sliderValue = selector->value();
  option.singleStep = selector->singleStep();
  option.pageStep = selector->pageStep();
  const QRect arrow = selector->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                        QStyle::SC_ScrollBarAddLine, selector);
  QTest::mouseClick(selector, Qt::LeftButton, {}, arrow.center());
  QTest::keyClick(selector, Qt::Key_End);  // keys: a change each
  QTest::keyClick(selector, Qt::Key_Left);
  selector->setSliderDown(true);  // a drag: scroll events while the thumb moves
  selector->setSliderPosition(2);
  selector->setSliderPosition(5);
  selector->setSliderDown(false);  // and one change when it is released

  const std::vector<Delivered> expected = {
      {UserEvent::SelectorChange, -1, 2}, {UserEvent::SelectorChange, -1, 5},
      {UserEvent::SelectorChange, -1, 4}, {UserEvent::SelectorScroll, -1, 2},
      {UserEvent::SelectorScroll, -1, 5}, {UserEvent::SelectorChange, -1, 5}};
  EXPECT_EQ(window.Events, expected);
  EXPECT_EQ(form.PersonFundstellenAuswahl.Value, 5);
}

TEST_F(QtWindowTest, ButtonsStartTheirHandlersOnlyWhenEnabled) {
  form.Command1.Enabled = false;
  window.controlChanged(ControlId::Command1);
  Show();
  QTest::mouseClick(Find<QPushButton>(window, u"SortList"), Qt::LeftButton);
  QTest::mouseClick(Find<QPushButton>(window, u"Command1"), Qt::LeftButton);
  QTest::mouseClick(Find<QPushButton>(window, u"Command2"), Qt::LeftButton);

  ASSERT_EQ(window.Events.size(), 2u);
  EXPECT_EQ(window.Events[0].Event, UserEvent::SortListClick);
  EXPECT_EQ(window.Events[1].Event, UserEvent::Command2Click);
}

// ---- Message boxes ----

TEST_F(QtWindowTest, MessageBoxesAskInGermanAndReportTheButton) {
  struct Case {
    const char* What;
    MessageButtons Buttons;
    DefaultButton Default;
    std::function<void(QMessageBox&)> Act;
    MessageAnswer Expected;
  };
  const std::vector<Case> cases = {
      {"OK clicked", MessageButtons::Ok, DefaultButton::First, Click("OK"), MessageAnswer::Ok},
      {"Ja clicked", MessageButtons::YesNo, DefaultButton::Second, Click("Ja"), MessageAnswer::Yes},
      {"Nein clicked", MessageButtons::YesNo, DefaultButton::Second, Click("Nein"),
       MessageAnswer::No},
      {"Enter takes the default Nein", MessageButtons::YesNo, DefaultButton::Second,
       Press(Qt::Key_Return), MessageAnswer::No},
      {"Enter takes the default Ja", MessageButtons::YesNo, DefaultButton::First,
       Press(Qt::Key_Return), MessageAnswer::Yes},
      {"Escape means Nein", MessageButtons::YesNo, DefaultButton::First, Press(Qt::Key_Escape),
       MessageAnswer::No},
  };
  Show();
  for (const Case& row : cases) {
    SCOPED_TRACE(row.What);
    SeenBox seen;
    AnswerNextBox(&window, seen, row.Act);
    const MessageAnswer answer =
        window.messageBox({u"Wollen Sie wirklich diese Datei endgültig löschen?",
                           u"Wirklich löschen?", row.Buttons, MessageIcon::Critical, row.Default});
    EXPECT_EQ(answer, row.Expected);
    ASSERT_TRUE(seen.Seen);
    EXPECT_EQ(seen.Title, Q("Wirklich löschen?"));
    EXPECT_EQ(seen.Text, Q("Wollen Sie wirklich diese Datei endgültig löschen?"));
    EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    const bool yesNo = row.Buttons == MessageButtons::YesNo;
    const QStringList buttons = yesNo ? QStringList{"Ja", "Nein"} : QStringList{"OK"};
    EXPECT_EQ(seen.Buttons, buttons);
    EXPECT_EQ(seen.DefaultButton, !yesNo                                 ? "OK"
                                  : row.Default == DefaultButton::Second ? "Nein"
                                                                         : "Ja");
  }
}

// ---- Start, pending events and closing ----

TEST_F(QtWindowTest, RunStartsAfterTheWindowIsShownAndReportsTheMissingConfiguration) {
  form.Form_Load();
  window.startRunWhenShown();
  QTest::qWait(50);
  EXPECT_TRUE(form.StartTimer.Enabled) << "the run must wait for the window";

  SeenBox seen;
  AnswerNextBox(&window, seen, Click("OK"));
  Show();
  const QLabel* status = Find<QLabel>(window, u"Status");
  EXPECT_TRUE(WaitFor([status] { return status->text() == QStringLiteral("fertig"); }));
  EXPECT_TRUE(seen.Seen);
  EXPECT_EQ(seen.Text, Q("Die Konfigurationsdatei wurde nicht gefunden."));
  EXPECT_EQ(seen.Title, Q("Fehler"));
  EXPECT_FALSE(form.StartTimer.Enabled);

  window.close();
  EXPECT_EQ(program.LogLines(), (Lines{"START finder", "EXIT"}));
}

TEST_F(QtWindowTest, ClosingBeforeTheRunStartsMeansItNeverStarts) {
  form.Form_Load();
  window.startRunWhenShown();
  Show();
  window.close();
  QTest::qWait(50);
  EXPECT_EQ(Find<QLabel>(window, u"Status")->text(), QStringLiteral("Start"));
  EXPECT_EQ(program.LogLines(), (Lines{"START finder", "EXIT"}));
}

TEST_F(QtWindowTest, EveryWayOfClosingUnloadsTheFormOnce) {
  form.Form_Load();
  Show();
  QSignalSpy closed(&window, &QtWindow::windowClosed);
  window.close();
  window.close();
  EXPECT_EQ(closed.count(), 1);
  EXPECT_TRUE(form.StopRequested);
  EXPECT_TRUE(window.isWindowClosed());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(program.LogLines(), (Lines{"START finder", "EXIT"}));
}

TEST_F(QtWindowTest, ClosingWhileABoxIsOpenAnswersItWithNo) {
  form.Form_Load();
  Show();
  SeenBox seen;
  AnswerNextBox(&window, seen, [this](QMessageBox&) { window.close(); });
  const MessageAnswer answer =
      window.messageBox({u"Frage?", u"Wirklich löschen?", MessageButtons::YesNo,
                         MessageIcon::Critical, DefaultButton::First});
  EXPECT_TRUE(seen.Seen);
  EXPECT_EQ(answer, MessageAnswer::No);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(program.LogLines(), (Lines{"START finder", "EXIT"}));
}

TEST_F(QtWindowTest, PendingPointsCloseTheWindowAndThenLetNothingRun) {
  form.Form_Load();
  Show();
  QTest::qWait(20);  // a fresh pacing interval
  QMetaObject::invokeMethod(
      &window, [this] { window.close(); }, Qt::QueuedConnection);
  window.processPendingMessages();
  ASSERT_TRUE(form.StopRequested);

  bool ran = false;
  QObject context;  // drops the queued call when the test ends
  QMetaObject::invokeMethod(
      &context, [&ran] { ran = true; }, Qt::QueuedConnection);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // ends the pacing interval
  window.processPendingMessages();
  EXPECT_FALSE(ran);

  form.SetStatus(u"nachher");
  const MessageAnswer answer = window.messageBox(
      {u"x", u"Fehler", MessageButtons::YesNo, MessageIcon::Critical, DefaultButton::First});
  EXPECT_EQ(answer, MessageAnswer::No);
  EXPECT_EQ(Find<QLabel>(window, u"Status")->text(), QStringLiteral("Start"));
  EXPECT_EQ(program.LogLines(), (Lines{"START finder", "EXIT"}));
}

TEST_F(QtWindowTest, PendingPointsProcessEventsAtMostEveryFifteenMilliseconds) {
  int rounds = 0;
  QObject context;  // drops the last queued call when the test ends
  std::function<void()> repost = [&] {
    ++rounds;
    QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
  };
  QTest::qWait(20);
  QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 100)
    window.processPendingMessages();
  const qint64 elapsed = clock.elapsed();
  EXPECT_GE(rounds, 1);
  EXPECT_LE(rounds, elapsed / 15 + 1);
}

}  // namespace
