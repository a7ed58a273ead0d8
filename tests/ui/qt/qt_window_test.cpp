// The real window on Qt's offscreen platform: its layout, and user input reaching the handlers
// during and after a run over a fake system's tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <utility>

#include "shell/window_layout.h"
#include "testing/test_program.h"
#include "ui/qt/qt_window.h"

void PrintTo(const QString& text, std::ostream* out) {
  *out << text.toStdString();
}

namespace {

/// Answers each box shown while it lives: clicks the button of that caption, presses "Escape",
/// "close"s the window, or dismisses it; records it as "title: text [buttons]", default starred.
class BoxAnswers {
 public:
  explicit BoxAnswers(QStringList answers = {}) : answers_(std::move(answers)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      QStringList buttons;
      for (QAbstractButton* button : box->buttons())
        buttons.append(button->text() + (button == box->defaultButton() ? "*" : ""));
      Seen.append(box->windowTitle() + ": " + box->text() + " [" + buttons.join(' ') + "]");
      const QString answer = answers_.isEmpty() ? "" : answers_.takeFirst();
      if (answer.isEmpty()) return box->reject();
      if (answer == "close") return static_cast<void>(box->parentWidget()->close());
      for (QAbstractButton* button : box->buttons())
        if (button->text() == answer) return QTest::mouseClick(button, Qt::LeftButton);
      QTest::keyClick(box, Qt::Key_Escape);
    });
    poll_.start(5);
  }
  QStringList Seen;

 private:
  QStringList answers_;
  QTimer poll_;
};

/// The real window with one user input, run nested in the run as queued input is: once, at the
/// first pending-message point where When holds.
class ScriptedWindow : public QtWindow {
 public:
  using QtWindow::QtWindow;
  std::function<bool()> When;
  std::function<void()> Input;

  void processEvents() override {
    if (Input && When()) std::exchange(Input, nullptr)();
    QtWindow::processEvents();
  }
};

// Four files in /prog/data and four persons: Nord (term "nord") is in a, c and d ("NORD" in c,
// since the search ignores case), Hafen in c, Leer nowhere, and Alle, without terms, in all.
class QtWindowTest : public testing::Test {
 protected:
  QtWindowTest() {
    program.Write("data/a.txt", "Nord");
    program.Write("data/b.txt", "nichts");
    program.Write("data/c.txt", "NORD Hafen");
    program.Write("data/d.txt", "nord");
    program.WriteConfig(
        "FILETYPE|*.txt|\r\nNAME|Nord|nord|\r\nNAME|Hafen|hafen|\r\n"
        "NAME|Leer|zzz|\r\nNAME|Alle|\r\nFOLDER|/prog/data/|\r\n");
  }

  QString TextOf(ControlId control) const {
    const QWidget* widget = window.control(control);
    for (const char* property : {"text", "title", "plainText"})
      if (widget->property(property).isValid()) return widget->property(property).toString();
    return {};
  }
  /// Loads and shows, then the whole run and the event loop's next turn, as from the timer.
  void Run() {
    window.driver().Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    model.OnStartTimer();
    QCoreApplication::processEvents();
  }
  void Pick(const QString& name) {
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.front()).center());
  }
  void Push(ControlId button) { QTest::mouseClick(window.control(button), Qt::LeftButton); }
  /// Selection, frame, count, hit number, file, thumb/range, and "on" if selector and buttons work.
  QString View() const {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    QStringList shown{selected.isEmpty() ? "" : selected.front()->text()};
    for (const ControlId control :
         {ControlId::PersonFrame, ControlId::HitCount, ControlId::HitNumber, ControlId::PathBox})
      shown << TextOf(control).remove("/prog/data/");
    const bool enabled = selector->isEnabled() &&
                         window.control(ControlId::OpenButton)->isEnabled() &&
                         window.control(ControlId::DeleteButton)->isEnabled();
    shown << QString("%1/%2").arg(selector->sliderPosition()).arg(selector->maximum())
          << (enabled ? "on" : "off");
    return shown.replaceInStrings(QRegularExpression("^$"), "-").join(' ');
  }

  TestProgram program{"finder"};
  ScriptedWindow window{program.Options(), Pacing::EveryPoint};
  MainWindow& model = window.model();
  QListWidget* list = qobject_cast<QListWidget*>(window.control(ControlId::PersonList));
  QScrollBar* selector = qobject_cast<QScrollBar*>(window.control(ControlId::HitSelector));
};

TEST_F(QtWindowTest, ControlsFollowTheLayoutTable) {
  // At 96 dots per inch (the offscreen screen's) 15 twips make one pixel.
  if (window.logicalDpiX() != 96) GTEST_SKIP() << "the screen is not at 96 dots per inch";
  EXPECT_EQ(window.minimumSize(), QSize(586, 306));
  EXPECT_EQ(window.maximumSize(), window.minimumSize());
  EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.25);

  // Positions count from the container; the bar's container is its frame's inside.
  const QWidget* containers[] = {
      &window,
      window.control(ControlId::ProgressFrame)->findChild<QWidget*>({}, Qt::FindDirectChildrenOnly),
      window.control(ControlId::PersonFrame)};
  for (const ControlLayout& layout : kWindowLayout) {
    SCOPED_TRACE(Utf8(layout.Name));
    const QWidget* widget = window.control(layout.Id);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->objectName().toStdU16String(), layout.Name);
    EXPECT_EQ(widget->font(), window.font());
    EXPECT_EQ(widget->parentWidget(), containers[static_cast<int>(layout.Parent)]);
    const int width = layout.Width == kWidthSetAtRunTime ? 0 : layout.Width / 15;
    EXPECT_EQ(widget->geometry(),
              QRect(layout.Left / 15, layout.Top / 15, width, layout.Height / 15));
    EXPECT_EQ(TextOf(layout.Id).toStdU16String(), layout.Text);
    const auto* label = qobject_cast<const QLabel*>(widget);
    EXPECT_TRUE(label == nullptr || label->textFormat() == Qt::PlainText);  // text, not markup
  }
}

TEST_F(QtWindowTest, ANewPersonAddsOneItemAndKeepsTheOthers) {
  // 100,000 NAME lines: the widget grows by one item per person and keeps the items it shows, so
  // it takes about a second (a copy of the list, or a layout, per person took minutes).
  window.driver().Load();
  window.show();
  const auto start = std::chrono::steady_clock::now();
  for (int person = 1; person <= 100000; ++person) {
    model.personList.Items.push_back(u"P" + QString::number(person).toStdU16String());
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
  // The progress bar is blue and fills the inside of its frame once the whole run is searched.
  const QWidget* bar = window.control(ControlId::ProgressBar);
  EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0, 0, 255));
  EXPECT_EQ(bar->width(), bar->parentWidget()->width());
  const auto drag = [this](int position, bool down) {
    return [=, this] {
      selector->setSliderDown(true);
      selector->setSliderPosition(position);
      selector->setSliderDown(down);
    };
  };
  const auto mirror = [this] {
    model.personList.ListIndex = model.hitSelector.Value = 3;
    window.driver().controlChanged(ControlId::PersonList);
    window.driver().controlChanged(ControlId::HitSelector);
  };
  const auto push = [this](ControlId button) { return [=, this] { Push(button); }; };
  const QString ask = QString::fromUtf8(
      "Wirklich löschen?: Wollen Sie wirklich diese Datei endgültig löschen? [Ja Nein*]");
  const struct {
    std::function<void()> Act;
    const char* View;
    QStringList Answers = {}, Boxes = {};
  } steps[] = {
      {[&] { Pick("Nord"); }, "Nord Nord 3 1 a.txt 1/3 on"},
      {[&] { Pick("Leer"); }, "Leer Leer 0 - - 1/1 off"},
      {push(ControlId::OpenButton), "Leer Leer 0 - - 1/1 off"},  // disabled buttons start nothing
      {[&] { Pick("Nord"); }, "Nord Nord 3 1 a.txt 1/3 on"},
      {[&] { QTest::keyClick(selector, Qt::Key_End); }, "Nord Nord 3 3 d.txt 3/3 on"},
      {push(ControlId::OpenButton), "Nord Nord 3 3 d.txt 3/3 on"},
      {[&] { QTest::keyClick(selector, Qt::Key_Left); }, "Nord Nord 3 2 c.txt 2/3 on"},
      {drag(3, true), "Nord Nord 3 3 d.txt 3/3 on"},  // a dragged thumb shows its hit at once
      {drag(2, false), "Nord Nord 3 2 c.txt 2/3 on"},
      // Sorting keeps the selection without showing the person again (back at hit 1).
      {push(ControlId::SortButton), "Nord Nord 3 2 c.txt 2/3 on"},
      // Deleting asks first, "Nein" the default; a deleted file stays shown as the hit.
      {push(ControlId::DeleteButton), "Nord Nord 3 2 c.txt 2/3 on", {"Nein"}, {ask}},
      {push(ControlId::DeleteButton), "Nord Nord 3 2 c.txt 2/3 on", {"Escape"}, {ask}},
      {push(ControlId::DeleteButton), "Nord Nord 3 2 c.txt 2/3 on", {"Ja"}, {ask}},
      {mirror, "Leer Nord 3 2 c.txt 3/3 on"},  // copying the model starts no handler
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(&step - steps);
    const BoxAnswers answers(step.Answers);
    step.Act();
    EXPECT_EQ(View(), QString(step.View));
    EXPECT_EQ(answers.Seen, step.Boxes);
  }
  EXPECT_EQ(program.system().Edited, std::vector<std::u16string>{u"/prog/data/d.txt"});
  EXPECT_FALSE(program.system().Exists(u"/prog/data/c.txt"));
  model.personFrame.Caption = u"A & B";  // shown as written, not as a keyboard shortcut
  window.driver().controlChanged(ControlId::PersonFrame);
  EXPECT_EQ(TextOf(ControlId::PersonFrame), "A && B");
}

class CloseDuringRunTest : public QtWindowTest, public testing::WithParamInterface<bool> {};

TEST_P(CloseDuringRunTest, StopsTheRunAndNothingIsTouchedAfterwards) {
  // The user closes the window at the point after b, maybe in the confirmation box of a delete;
  // Nord and Alle were found in a before, Alle in b.
  const bool inTheDeleteBox = GetParam();
  const auto snapshot = [this] {  // what the widgets show and the model holds
    QStringList state{View().section(' ', 1), TextOf(ControlId::StatusLabel)};
    for (int row = 0; row < list->count(); ++row)
      state << list->item(row)->text();
    for (const std::u16string& item : model.personList.Items)
      state << QString::fromStdU16String(item);
    return state;
  };
  QList<QStringList> atClose;  // what was shown at each close
  QObject::connect(&window, &QtWindow::windowClosed, [&] { atClose.append(snapshot()); });
  const BoxAnswers answers({"close"});
  window.When = [&] { return model.statusLabel.Caption == u"b.txt"; };
  window.Input = [&] {
    if (!inTheDeleteBox) return static_cast<void>(window.close());
    Pick("Nord");
    Push(ControlId::DeleteButton);  // its box is answered by closing the window
  };
  Run();
  ASSERT_EQ(atClose.size(), 1);
  EXPECT_TRUE(window.isWindowClosed() && !window.isVisible());
  EXPECT_EQ(Utf8(model.statusLabel.Caption), "b.txt");

  // Input that arrives after the close reaches nothing.
  list->setCurrentRow(2);
  for (const ControlId button :
       {ControlId::SortButton, ControlId::OpenButton, ControlId::DeleteButton})
    qobject_cast<QPushButton*>(window.control(button))->click();
  EXPECT_EQ(snapshot(), atClose.front());
  EXPECT_TRUE(program.system().Edited.empty());
  EXPECT_EQ(answers.Seen.size(), inTheDeleteBox ? 1 : 0);

  // After the start line and six CONFIG lines: the hits before the close (Alle is found in b
  // before b's first pending-message point), and "EXIT" once, last.
  const std::string found = "found new file: /prog/data/";
  const std::vector<std::string> log = program.LogLines();
  ASSERT_GE(log.size(), 7u);
  EXPECT_EQ(std::vector(log.begin() + 7, log.end()),
            (std::vector<std::string>{found + "a.txt", found + "a.txt", found + "b.txt", "EXIT"}));
}

INSTANTIATE_TEST_SUITE_P(InTheDeleteBox, CloseDuringRunTest, testing::Bool());

}  // namespace
