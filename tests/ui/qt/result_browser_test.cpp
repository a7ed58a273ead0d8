// The person list and the detail view in the real window, during and after a real run over a
// temporary tree, driven through the widgets.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <filesystem>

#include "testing/test_program.h"
#include "ui/qt/window_driver.h"

namespace {

using Lines = std::vector<std::string>;

/// The detail view: frame caption, count, hit number, path, selector range and value, and
/// whether the selector and both buttons are enabled.
struct Shown {
  QString Name, Count, Hit, Path;
  int Max = 1, Value = 1;
  bool Enabled = true;
  bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& shown, std::ostream* out) {
  *out << (QStringList{shown.Name, shown.Count, shown.Hit, shown.Path}.join(" | ") + " | " +
           QString::number(shown.Max) + " " + QString::number(shown.Value) +
           (shown.Enabled ? " enabled" : " disabled"))
              .toStdString();
}

QString Q(std::u16string_view text) {
  return QString::fromStdU16String(std::u16string(text));
}

// Four files in "data" and four persons: Nord (term "nord") is in a, c and d ("NORD" in c,
// since the search ignores case), Hafen in c, Leer nowhere, and Alle, without terms, in all.
class ResultBrowserTest : public testing::Test {
 protected:
  ResultBrowserTest() {
    for (const auto& [name, text] : {std::pair{"a.txt", "Nord"},
                                     {"b.txt", "nichts"},
                                     {"c.txt", "NORD Hafen"},
                                     {"d.txt", "nord"}}) {
      program.dir().Write(std::string("data/") + name, text);
    }
    program.WriteConfig(
        "FILETYPE|*.txt|\r\nNAME|Nord|nord|\r\nNAME|Hafen|hafen|\r\nNAME|Leer|zzz|\r\n"
        "NAME|Alle|\r\nFOLDER|" +
        (program.dir().path() / "data").string() + "|\r\n");
    form.Form_Load();
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  MainFormOptions Options() {
    MainFormOptions options = program.Options();
    options.StartTextEditor = [this](const std::u16string& path) { opened.append(Q(path)); };
    return options;
  }
  QString Path(const char* name) const {
    return QString::fromStdString((program.dir().path() / "data" / name).string());
  }
  bool Exists(const char* name) const {
    return std::filesystem::exists(program.dir().path() / "data" / name);
  }
  /// The whole run, then one turn of the event loop, as after the timer's handler returns.
  void Run() {
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
  void Push(std::u16string_view button) {
    QTest::mouseClick(Find<QPushButton>(window, button), Qt::LeftButton);
  }

  Shown OnScreen() const {
    return {TextOf(window, u"PersonFrame"),
            TextOf(window, u"PersonHäufigkeit"),
            TextOf(window, u"PersonFundstelle"),
            Find<QPlainTextEdit>(window, u"PersonFundstelleVerzeichnis")->toPlainText(),
            selector->maximum(),
            selector->sliderPosition(),  // where the thumb is, also while it is dragged
            selector->isEnabled() && Find<QPushButton>(window, u"Command1")->isEnabled() &&
                Find<QPushButton>(window, u"Command2")->isEnabled()};
  }
  Shown InModel() const {
    const ScrollBarControl& model = form.PersonFundstellenAuswahl;
    return {Q(form.PersonFrame.Caption),
            Q(form.PersonHäufigkeit.Caption),
            Q(form.PersonFundstelle.Caption),
            Q(form.PersonFundstelleVerzeichnis.Text),
            model.Max,
            model.Value,
            model.Enabled && form.Command1.Enabled && form.Command2.Enabled};
  }
  /// The detail view, once the widgets are checked to show what the model holds.
  Shown View() const {
    EXPECT_EQ(OnScreen(), InModel());
    return OnScreen();
  }
  QStringList Listed() const {
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
      names.append(list->item(row)->text());
    return names;
  }

  TestProgram program{"finder"};
  QStringList opened;
  ScriptedWindow window{Options()};
  MainForm& form = window.form();
  QListWidget* list = Find<QListWidget>(window, u"PersonList");
  QScrollBar* selector = Find<QScrollBar>(window, u"PersonFundstellenAuswahl");
};

TEST_F(ResultBrowserTest, PickingANameShowsItsCountAndFirstHit) {
  Run();
  ASSERT_EQ(TextOf(window, u"Status"), "fertig");
  const Shown cases[] = {
      {"Nord", "3", "1", Path("a.txt"), 3, 1, true},
      {"Leer", "0", "", "", 1, 1, false},
      {"Hafen", "1", "1", Path("c.txt"), 1, 1, true},
      {"Alle", "4", "1", Path("a.txt"), 4, 1, true},
  };
  for (const Shown& expected : cases) {
    Pick(expected.Name);
    EXPECT_EQ(View(), expected);
  }
  QTest::keyClick(list, Qt::Key_Up);  // the keyboard picks too
  EXPECT_EQ(View(), cases[1]);
}

TEST_F(ResultBrowserTest, SelectorPicksTheHitAndFollowsTheDraggedThumb) {
  Run();
  Pick("Nord");
  const struct {
    std::function<void(QScrollBar&)> Move;
    int Hit;
    const char* File;
  } steps[] = {
      {[](QScrollBar& bar) { QTest::keyClick(&bar, Qt::Key_End); }, 3, "d.txt"},
      {[](QScrollBar& bar) { QTest::keyClick(&bar, Qt::Key_Left); }, 2, "c.txt"},
      {[](QScrollBar& bar) { QTest::keyClick(&bar, Qt::Key_Home); }, 1, "a.txt"},
      {[](QScrollBar& bar) {
         bar.setSliderDown(true);
         bar.setSliderPosition(3);
       },
       3, "d.txt"},
      {[](QScrollBar& bar) { bar.setSliderPosition(2); }, 2, "c.txt"},
      {[](QScrollBar& bar) { bar.setSliderDown(false); }, 2, "c.txt"},
  };
  for (const auto& step : steps) {
    step.Move(*selector);
    EXPECT_EQ(View(), (Shown{"Nord", "3", QString::number(step.Hit), Path(step.File), 3, step.Hit}))
        << step.File;
  }
}

TEST_F(ResultBrowserTest, SortingReordersAndKeepsTheSelectionWithoutShowingAgain) {
  Run();
  Pick("Nord");
  QTest::keyClick(selector, Qt::Key_Right);
  const Shown before = View();
  ASSERT_EQ(before.Hit, "2");

  Push(u"SortList");
  EXPECT_EQ(Listed(), (QStringList{"Alle", "Nord", "Hafen", "Leer"}));
  EXPECT_EQ(list->currentRow(), 1);
  EXPECT_TRUE(list->item(1)->isSelected());
  EXPECT_EQ(form.PersonList.ListIndex, 1);
  EXPECT_TRUE(form.PersonList.Tag.empty());
  EXPECT_EQ(View(), before);  // shown again, the view would be back at hit 1
}

TEST_F(ResultBrowserTest, MirroringTheModelStartsNoHandler) {
  Run();
  Pick("Nord");
  const Shown before = View();
  form.PersonList.ListIndex = 3;
  window.controlChanged(ControlId::PersonList);
  form.PersonFundstellenAuswahl.Value = 3;
  window.controlChanged(ControlId::PersonFundstellenAuswahl);
  EXPECT_EQ(list->currentRow(), 3);
  EXPECT_EQ(selector->value(), 3);
  EXPECT_EQ(OnScreen().Hit, before.Hit);
  EXPECT_EQ(OnScreen().Name, before.Name);
}

TEST_F(ResultBrowserTest, OpenStartsTheEditorOnTheShownPathWhileEnabled) {
  Run();
  const BoxAnswers noBoxExpected;
  Push(u"Command1");  // nothing picked yet: the empty path box
  Pick("Leer");       // no hits: both buttons disabled
  Push(u"Command1");
  Push(u"Command2");
  Pick("Nord");
  QTest::keyClick(selector, Qt::Key_End);
  Push(u"Command1");
  EXPECT_EQ(opened, (QStringList{"", Path("d.txt")}));
  EXPECT_TRUE(noBoxExpected.Seen.empty());
}

TEST_F(ResultBrowserTest, DeleteAsksFirstLogsAndReportsAFailure) {
  Run();
  Pick("Nord");
  QTest::keyClick(selector, Qt::Key_Right);
  const Shown shown = View();
  const std::string path = Path("c.txt").toStdString();
  const Lines runLog = program.LogLines();
  const QString ask = QString::fromUtf8("Wollen Sie wirklich diese Datei endgültig löschen?");
  const struct {
    std::deque<BoxAnswer> Answers;
    QStringList Boxes;
    bool Exists;
    Lines Logged;  // since the run
  } clicks[] = {
      {{Click("Nein")}, {ask}, true, {}},
      {{Press(Qt::Key_Return)}, {ask}, true, {}},  // "Nein" is the default
      {{Click("Ja")}, {ask}, false, {"KILL: " + path}},
      {{Click("Ja"), Click("OK")},
       {ask, "Datei nicht gefunden"},
       false,
       {"KILL: " + path, "KILL: " + path, "ERROR: Datei nicht gefunden"}},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(&click - clicks);
    const BoxAnswers answers(click.Answers);
    Push(u"Command2");
    QStringList boxes;
    for (const SeenBox& box : answers.Seen)
      boxes.append(box.Text);
    EXPECT_EQ(boxes, click.Boxes);
    ASSERT_FALSE(answers.Seen.empty());
    EXPECT_EQ(answers.Seen[0].Title, QString::fromUtf8("Wirklich löschen?"));
    EXPECT_EQ(answers.Seen[0].Buttons, (QStringList{"Ja", "Nein"}));
    EXPECT_EQ(answers.Seen[0].Default, "Nein");
    EXPECT_EQ(answers.Seen.back().Title, boxes.size() == 2 ? "Fehler" : answers.Seen[0].Title);
    EXPECT_EQ(Exists("c.txt"), click.Exists);
    Lines expected = runLog;
    expected.insert(expected.end(), click.Logged.begin(), click.Logged.end());
    EXPECT_EQ(program.LogLines(), expected);
    EXPECT_EQ(View(), shown);  // a deleted file stays listed as the hit
  }
}

TEST_F(ResultBrowserTest, HitsOfTheShownPersonAppearWhileTheSearchRuns) {
  std::vector<Shown> seen;
  const auto record = [&] { seen.push_back(View()); };
  const auto at = [this](std::u16string_view status) {
    return [this, status] { return form.Status.Caption == status; };
  };
  window.When(at(u"lese Verzeichnis aus..."), [&] {
    Pick("Hafen");
    record();
  });
  // The first point in c comes after the hits of Nord and Hafen in c.
  window.When(at(u"c.txt"), [&] {
    record();
    Pick("Nord");
    record();
    QTest::keyClick(selector, Qt::Key_End);
    record();
  });
  Run();
  record();
  EXPECT_EQ(window.Pending(), 0u);
  const Shown expected[] = {
      {"Hafen", "0", "", "", 1, 1, false},       // picked before any search
      {"Hafen", "1", "1", Path("c.txt"), 1, 1},  // its first hit showed it
      {"Nord", "2", "1", Path("a.txt"), 2, 1},  {"Nord", "2", "2", Path("c.txt"), 2, 2},
      {"Nord", "3", "2", Path("c.txt"), 3, 2},  // the hit in d raised count and range only
  };
  EXPECT_EQ(seen, std::vector<Shown>(std::begin(expected), std::end(expected)));
}

/// Where the user closes the window during the run.
struct CloseCase {
  std::u16string_view At;  ///< the status at the pending point of the close
  bool InTheDeleteBox;     ///< closed while the confirmation box of a delete is open
  int Found;               ///< hits logged before the close
};

void PrintTo(const CloseCase& row, std::ostream* out) {
  *out << Utf8(row.At) << (row.InTheDeleteBox ? " in the delete box" : "");
}

class CloseDuringRunTest : public ResultBrowserTest, public testing::WithParamInterface<CloseCase> {
 protected:
  /// What the window and the form show and hold, in widgets and model alike.
  QStringList Snapshot() const {
    const Shown shown = View();
    QStringList state = Listed();
    state << QString::number(form.PersonList.ListIndex) << TextOf(window, u"Status")
          << Q(form.Status.Caption) << TextOf(window, u"anzFiles") << Q(form.anzFiles.Caption)
          << QString::number(window.control(u"processBar")->width()) << shown.Name << shown.Count
          << shown.Hit << shown.Path;
    for (const PersonEntry& person : form.Persons)
      state << Q(person.Hits);
    return state;
  }
};

TEST_P(CloseDuringRunTest, StopsTheRunAndNothingIsTouchedAfterwards) {
  const CloseCase& row = GetParam();
  const QSignalSpy closed(&window, &QtWindow::windowClosed);
  QStringList atClose;
  const auto closeNow = [&] {
    window.close();
    atClose = Snapshot();
  };
  const BoxAnswers answers({[&](QMessageBox&) { closeNow(); }});
  window.When([&] { return form.Status.Caption == row.At; },
              [&] {
                if (!row.InTheDeleteBox) return closeNow();
                Pick("Nord");
                Push(u"Command2");
              });
  Run();
  EXPECT_EQ(closed.count(), 1);
  EXPECT_TRUE(window.isWindowClosed() && !window.isVisible());
  EXPECT_TRUE(form.StopRequested);
  EXPECT_EQ(Q(form.Status.Caption), Q(row.At));

  // Input that arrives after the close reaches nothing.
  list->setCurrentRow(2);
  for (const char16_t* button : {u"SortList", u"Command1", u"Command2"})
    Find<QPushButton>(window, button)->click();
  EXPECT_EQ(Snapshot(), atClose);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(answers.Seen.size(), row.InTheDeleteBox ? 1u : 0u);
  EXPECT_TRUE(Exists("a.txt") && Exists("c.txt"));

  // The start line, six CONFIG lines, the hits before the close, and "EXIT" last.
  const Lines log = program.LogLines();
  ASSERT_EQ(log.size(), 8u + static_cast<std::size_t>(row.Found));
  EXPECT_EQ(log.back(), "EXIT");
  EXPECT_EQ(
      Lines(log.begin() + 7, log.end() - 1),
      Lines(static_cast<std::size_t>(row.Found), "found new file: " + Path("a.txt").toStdString()));
}

std::string CloseCaseName(const testing::TestParamInfo<CloseCase>& info) {
  static const char* const kNames[] = {"InTheWalk", "InTheSearch", "InTheDeleteBoxOfTheSearch"};
  return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(Points, CloseDuringRunTest,
                         testing::Values(CloseCase{u"lese Verzeichnis aus...", false, 0},
                                         CloseCase{u"b.txt", false, 2},  // Nord and Alle in a
                                         CloseCase{u"b.txt", true, 2}),
                         CloseCaseName);

}  // namespace
