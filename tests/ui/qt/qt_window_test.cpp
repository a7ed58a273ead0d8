// The real window on Qt's offscreen platform: its layout, and user input reaching the handlers
// during and after a real run over a temporary tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>

#include "shell/window_layout.h"
#include "testing/test_program.h"
#include "ui/qt/qt_window.h"

// Readable failure output for Qt's strings.
void PrintTo(const QString& text, std::ostream* out) {
  *out << text.toStdString();
}

namespace {

using Lines = std::vector<std::string>;

/// Answers the modal boxes shown while it lives, in order: clicks the button of that caption,
/// or presses Return or Escape, or closes the window ("close"). Records each box as
/// "title: text [buttons]", the default button starred. A box beyond the planned answers is
/// dismissed, so an unexpected box fails a test rather than hangs it.
class BoxAnswers {
 public:
  explicit BoxAnswers(QStringList answers = {}) : answers_(std::move(answers)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] { answerOpenBox(); });
    poll_.start(5);
  }
  QStringList Seen;

 private:
  void answerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    QStringList buttons;
    for (QAbstractButton* button : box->buttons())
      buttons.append(button->text() + (button == box->defaultButton() ? "*" : ""));
    Seen.append(box->windowTitle() + ": " + box->text() + " [" + buttons.join(' ') + "]");
    const QString answer = answers_.isEmpty() ? "" : answers_.takeFirst();
    if (answer.isEmpty()) return box->reject();
    if (answer == "close") return static_cast<void>(box->parentWidget()->close());
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == answer) return QTest::mouseClick(button, Qt::LeftButton);
    }
    QTest::keyClick(box, answer == "Return" ? Qt::Key_Return : Qt::Key_Escape);
  }

  QStringList answers_;
  QTimer poll_;
};

/// The real window with one user input scripted at the run's pending-message points (each of them
/// processes events): it runs at the first point where When holds, nested in the run as queued
/// input would be.
class ScriptedWindow : public QtWindow {
 public:
  using QtWindow::QtWindow;
  std::function<bool()> When;
  std::function<void()> Input;

  void processEvents() override {
    if (When && When()) {
      When = nullptr;
      Input();
    }
    QtWindow::processEvents();
  }
};

// Four files in "data" and four persons: Nord (term "nord") is in a, c and d ("NORD" in c, since
// the search ignores case), Hafen in c, Leer nowhere, and Alle, without terms, in all.
class QtWindowTest : public testing::Test {
 protected:
  QtWindowTest() {
    program.Write("data/a.txt", "Nord");
    program.Write("data/b.txt", "nichts");
    program.Write("data/c.txt", "NORD Hafen");
    program.Write("data/d.txt", "nord");
    program.WriteConfig(
        "FILETYPE|*.txt|\r\nNAME|Nord|nord|\r\nNAME|Hafen|hafen|\r\nNAME|Leer|zzz|\r\n"
        "NAME|Alle|\r\nFOLDER|" +
        Path("").toStdString() + "|\r\n");
  }

  QString Path(const char* name) const {
    return QString::fromStdU16String(program.Path(std::string("data/") + name));
  }
  QString TextOf(ControlId control) const {
    const QWidget* widget = window.control(control);
    for (const char* property : {"text", "title", "plainText"}) {
      if (widget->property(property).isValid()) return widget->property(property).toString();
    }
    return {};
  }
  /// Loads and shows, then the whole run and one turn of the event loop, as after the timer's
  /// handler returns.
  void Run() {
    form.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    form.StartTimer_Timer();
    QCoreApplication::processEvents();
  }
  /// Clicks the person's name in the list.
  void Pick(const QString& name) {
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.front()).center());
  }
  void Push(ControlId button) {
    QTest::mouseClick(qobject_cast<QPushButton*>(window.control(button)), Qt::LeftButton);
  }
  /// The list's selection and the detail view: name, count, hit number, file, selector
  /// value/range (the thumb's, also while it is dragged), and whether the selector and both
  /// buttons are enabled.
  QString View() const {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    QStringList shown{selected.isEmpty() ? "" : selected.front()->text()};
    for (const ControlId control :
         {ControlId::PersonFrame, ControlId::HitCount, ControlId::HitNumber,
          ControlId::PathBox})
      shown << TextOf(control).remove(Path(""));
    const bool enabled = selector->isEnabled() &&
                         window.control(ControlId::OpenButton)->isEnabled() &&
                         window.control(ControlId::DeleteButton)->isEnabled();
    shown << QString("%1/%2").arg(selector->sliderPosition()).arg(selector->maximum())
          << (enabled ? "on" : "off");
    return shown.replaceInStrings(QRegularExpression("^$"), "-").join(' ');
  }

  TestProgram program{"finder"};
  ScriptedWindow window{program.Options(), Pacing::EveryPoint};
  MainForm& form = window.form();
  QListWidget* list = qobject_cast<QListWidget*>(window.control(ControlId::PersonList));
  QScrollBar* selector =
      qobject_cast<QScrollBar*>(window.control(ControlId::HitSelector));
};

TEST_F(QtWindowTest, ControlsFollowTheLayoutTable) {
  // At 96 dots per inch (the offscreen screen's) 15 twips make one pixel.
  if (window.logicalDpiX() != 96) GTEST_SKIP() << "the screen is not at 96 dots per inch";
  EXPECT_EQ(window.minimumSize(), QSize(586, 306));
  EXPECT_EQ(window.maximumSize(), window.minimumSize());
  EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.25);

  // Positions count from the container; the bar's container is its frame's inside.
  const QWidget* containers[] = {&window,
                                 window.control(ControlId::ProgressFrame)
                                     ->findChild<QWidget*>({}, Qt::FindDirectChildrenOnly),
                                 window.control(ControlId::PersonFrame)};
  std::map<const QWidget*, std::u16string> names;
  std::vector<std::u16string> tabOrder;
  for (const ControlLayout& layout : kWindowLayout) {
    SCOPED_TRACE(Utf8(layout.Name));
    const QWidget* widget = window.control(layout.Id);
    ASSERT_NE(widget, nullptr);
    names[widget] = layout.Name;
    EXPECT_EQ(widget->objectName().toStdU16String(), layout.Name);
    EXPECT_EQ(widget->font(), window.font());
    EXPECT_EQ(widget->parentWidget(), containers[static_cast<int>(layout.Parent)]);
    const int width = layout.Width == kWidthSetAtRunTime ? 0 : layout.Width / 15;
    EXPECT_EQ(widget->geometry(),
              QRect(layout.Left / 15, layout.Top / 15, width, layout.Height / 15));
    EXPECT_EQ(TextOf(layout.Id).toStdU16String(), layout.Text);
    // Names and paths are shown as written, never as markup.
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
      EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    if (widget->focusPolicy() & Qt::TabFocus) tabOrder.emplace_back(layout.Name);
  }
  // The focus chain visits the controls that take it in the table's order.
  std::vector<std::u16string> chain;
  QWidget* const first = window.control(ControlId::PersonList);
  QWidget* widget = first;
  do {
    if (names.contains(widget) && (widget->focusPolicy() & Qt::TabFocus))
      chain.push_back(names[widget]);
    widget = widget->nextInFocusChain();
  } while (widget != first);
  EXPECT_EQ(chain, tabOrder);
  EXPECT_EQ(tabOrder.size(), 6u);
}

TEST_F(QtWindowTest, ANewPersonAddsOneItemAndKeepsTheOthers) {
  // 100,000 NAME lines: the widget grows by one item per person and keeps the items it shows, so
  // it takes about a second (a copy of the list, or a layout, per person took minutes).
  form.Form_Load();
  window.show();
  const auto start = std::chrono::steady_clock::now();
  for (int person = 1; person <= 100000; ++person) {
    form.PersonList.Items.push_back(u"P" + QString::number(person).toStdU16String());
    window.driver().controlChanged(ControlId::PersonList);
    if (person == 1) Pick("P1");
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  ASSERT_EQ(list->count(), 100000);
  EXPECT_EQ(list->item(99999)->text(), "P100000");
  EXPECT_EQ(list->selectedItems(), QList<QListWidgetItem*>{list->item(0)});
}

TEST_F(QtWindowTest, UserInputReachesTheHandlersAndMirroringStartsNone) {
  Run();
  ASSERT_EQ(TextOf(ControlId::StatusLabel), "fertig");
  const Lines runLog = program.LogLines();
  // The progress bar is blue and fills the inside of its frame at most.
  const QWidget* bar = window.control(ControlId::ProgressBar);
  const int inside = bar->parentWidget()->width();
  EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0, 0, 255));
  for (const auto& [fraction, width] :
       {std::pair{1.0, inside}, {0.5, qRound(inside * 0.5)}, {0.0, 0}, {2.5, inside}}) {
    if (fraction != 1.0) form.SetProgress(fraction);  // 1: the whole run
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->width(), width) << fraction;
  }
  const auto drag = [this](int position, bool down) {
    return [=, this] {
      selector->setSliderDown(true);
      selector->setSliderPosition(position);
      selector->setSliderDown(down);
    };
  };
  const auto mirror = [this] {
    form.PersonList.ListIndex = 3;
    window.driver().controlChanged(ControlId::PersonList);
    form.PersonFundstellenAuswahl.Value = 3;
    window.driver().controlChanged(ControlId::HitSelector);
  };
  const auto remove = [this] { Push(ControlId::DeleteButton); };
  const QString ask = QString::fromUtf8(
      "Wirklich löschen?: Wollen Sie wirklich diese Datei endgültig löschen? [Ja Nein*]");
  const struct {
    std::function<void()> Act;
    const char* View;
    QStringList Answers = {}, Boxes = {};
  } steps[] = {
      {[&] { Pick("Nord"); }, "Nord Nord 3 1 a.txt 1/3 on"},
      {[&] { Pick("Leer"); }, "Leer Leer 0 - - 1/1 off"},
      {[&] { Push(ControlId::OpenButton); },
       "Leer Leer 0 - - 1/1 off"},  // disabled buttons start nothing
      {remove, "Leer Leer 0 - - 1/1 off"},
      {[&] { QTest::keyClick(list, Qt::Key_Up); }, "Hafen Hafen 1 1 c.txt 1/1 on"},
      {[&] { Pick("Nord"); }, "Nord Nord 3 1 a.txt 1/3 on"},
      {[&] { QTest::keyClick(selector, Qt::Key_End); }, "Nord Nord 3 3 d.txt 3/3 on"},
      {[&] { Push(ControlId::OpenButton); }, "Nord Nord 3 3 d.txt 3/3 on"},
      {[&] { QTest::keyClick(selector, Qt::Key_Left); }, "Nord Nord 3 2 c.txt 2/3 on"},
      {drag(3, true), "Nord Nord 3 3 d.txt 3/3 on"},  // a dragged thumb shows its hit at once
      {drag(2, false), "Nord Nord 3 2 c.txt 2/3 on"},
      // Sorting keeps the selection without showing the person again (back at hit 1).
      {[&] { Push(ControlId::SortButton); }, "Nord Nord 3 2 c.txt 2/3 on"},
      // Deleting asks first, "Nein" the default; a deleted file stays shown as the hit.
      {remove, "Nord Nord 3 2 c.txt 2/3 on", {"Nein"}, {ask}},
      {remove, "Nord Nord 3 2 c.txt 2/3 on", {"Return"}, {ask}},
      {remove, "Nord Nord 3 2 c.txt 2/3 on", {"Escape"}, {ask}},
      {remove, "Nord Nord 3 2 c.txt 2/3 on", {"Ja"}, {ask}},
      {remove,
       "Nord Nord 3 2 c.txt 2/3 on",
       {"Ja", "OK"},
       {ask, "Fehler: Datei nicht gefunden [OK*]"}},
      {mirror, "Leer Nord 3 2 c.txt 3/3 on"},  // copying the model starts no handler
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(&step - steps);
    const BoxAnswers answers(step.Answers);
    step.Act();
    EXPECT_EQ(View(), QString(step.View));
    EXPECT_EQ(answers.Seen, step.Boxes);
  }
  EXPECT_EQ(program.system().Edited, std::vector{Path("d.txt").toStdU16String()});
  EXPECT_FALSE(program.system().Exists(Path("c.txt").toStdU16String()));
  const std::string kill = "KILL: " + Path("c.txt").toStdString();
  Lines log = runLog;
  log.insert(log.end(), {kill, kill, "ERROR: Datei nicht gefunden"});
  EXPECT_EQ(program.LogLines(), log);
  form.PersonFrame.Caption = u"A & B";  // shown as written, not as a keyboard shortcut
  window.driver().controlChanged(ControlId::PersonFrame);
  EXPECT_EQ(TextOf(ControlId::PersonFrame), "A && B");
}

class CloseDuringRunTest : public QtWindowTest, public testing::WithParamInterface<bool> {};

TEST_P(CloseDuringRunTest, StopsTheRunAndNothingIsTouchedAfterwards) {
  // The user closes the window at the point after b, maybe in the confirmation box of a delete;
  // Nord and Alle were found in a before, Alle in b.
  const bool inTheDeleteBox = GetParam();
  // What the widgets show and the model holds.
  const auto snapshot = [this] {
    QStringList state{View().section(' ', 1), TextOf(ControlId::StatusLabel),
                      TextOf(ControlId::FileCount),
                      QString::number(window.control(ControlId::ProgressBar)->width())};
    for (int row = 0; row < list->count(); ++row)
      state << list->item(row)->text();
    for (const std::u16string& item : form.PersonList.Items)
      state << QString::fromStdU16String(item);
    for (const PersonEntry& person : form.Persons)
      state << QString::fromStdU16String(person.Hits);
    state << QString::fromStdU16String(form.Status.Caption + form.anzFiles.Caption);
    return state;
  };
  int closes = 0;
  QStringList atClose;
  QObject::connect(&window, &QtWindow::windowClosed, [&] {
    ++closes;
    atClose = snapshot();
  });
  const BoxAnswers answers({"close"});
  window.When = [&] { return form.Status.Caption == u"b.txt"; };
  window.Input = [&] {
    if (inTheDeleteBox) {
      Pick("Nord");
      Push(ControlId::DeleteButton);  // its box is answered by closing the window
    } else {
      window.close();
    }
  };
  Run();
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(window.isWindowClosed() && !window.isVisible());
  EXPECT_EQ(Utf8(form.Status.Caption), "b.txt");

  // Input that arrives after the close reaches nothing.
  list->setCurrentRow(2);
  for (const ControlId button : {ControlId::SortButton, ControlId::OpenButton, ControlId::DeleteButton})
    qobject_cast<QPushButton*>(window.control(button))->click();
  EXPECT_EQ(snapshot(), atClose);
  EXPECT_TRUE(program.system().Edited.empty());
  EXPECT_EQ(answers.Seen.size(), inTheDeleteBox ? 1 : 0);

  // The start line, six CONFIG lines, the hits before the close (Alle is found in b before the
  // first pending-message point of b), and "EXIT" once, last.
  const Lines log = program.LogLines();
  ASSERT_EQ(log.size(), 11u);
  const std::string hit = "found new file: " + Path("a.txt").toStdString();
  const std::string hitB = "found new file: " + Path("b.txt").toStdString();
  EXPECT_EQ(Lines(log.begin() + 7, log.end()), (Lines{hit, hit, hitB, "EXIT"}));
}

INSTANTIATE_TEST_SUITE_P(InTheDeleteBox, CloseDuringRunTest, testing::Bool());

}  // namespace
