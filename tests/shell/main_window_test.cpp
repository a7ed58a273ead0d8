// The main window's model on a scripted window: what the user sees of a run, and what the
// list, the selector and the buttons do.
#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>

#include "shell/window_layout.h"
#include "testing/fake_window.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kAsk = "Wirklich löschen?: Wollen Sie wirklich diese Datei endgültig löschen?";

/// Selects the name in the person list, as the user's click does.
void Select(MainWindow& model, std::u16string_view name) {
  const std::vector<std::u16string>& items = model.personList.Items;
  model.personList.ListIndex =
      static_cast<std::int32_t>(std::ranges::find(items, name) - items.begin());
  model.OnPersonSelected();
}

/// Moves the selector to hit, by a step or by dragging its thumb.
void Pick(MainWindow& model, std::int32_t hit, bool dragged = false) {
  model.hitSelector.Value = hit;
  dragged ? model.OnSelectorScrolled() : model.OnSelectorChanged();
}

/// How many hits Nord has so far.
std::size_t NordHits(const MainWindow& model) {
  const std::optional<PersonId> nord = model.Session().Persons().Find(u"Nord");
  return nord ? model.Session().Hits().CountOf(*nord) : 0;
}

/// Runs action once, at the first pending-message point of the run where condition holds.
void OnceWhen(FakeWindow& window, std::function<bool(MainWindow&)> condition,
              FakeWindow::Action action) {
  const auto done = std::make_shared<bool>(false);
  for (int point = 1; point <= 1000; ++point) {
    window.At(point, [=](MainWindow& model) {
      if (*done || !condition(model)) return;
      *done = true;
      action(model);
    });
  }
}

/// The person on display: name, count, hit number, path (the data folder as "@"), selector
/// maximum and value, and whether the selector and both buttons are enabled.
std::string View(const MainWindow& shown) {
  const bool enabled =
      shown.hitSelector.Enabled && shown.openButton.Enabled && shown.deleteButton.Enabled;
  return Replace(Utf8(shown.personFrame.Caption + u" " + shown.hitCountLabel.Caption + u" " +
                      shown.hitNumberLabel.Caption + u" " + shown.pathBox.Text),
                 "/prog/data/", "@") +
         " " + std::to_string(shown.hitSelector.Max) + " " +
         std::to_string(shown.hitSelector.Value) + (enabled ? " on" : " off");
}

/// Every box shown, as "title: text".
Lines Boxes(const FakeWindow& window) {
  Lines boxes;
  for (const MessageRequest& box : window.Boxes)
    boxes.push_back(Utf8(box.Title + u": " + box.Text));
  return boxes;
}

// Four files in "data": Nord (term "nord") is in a, c and d (the search ignores case); Hafen,
// Lager and Markt in c; Leer nowhere.
class MainWindowTest : public testing::Test {
 protected:
  MainWindowTest() {
    program.Write("data/a.txt", "Nord");
    program.Write("data/b.txt", "nichts");
    program.Write("data/c.txt", "NORD Hafen Lager Markt");
    program.Write("data/d.txt", "nord");
    program.WriteConfig(
        "FILETYPE|*.txt|\r\nNAME|Nord|nord|\r\nNAME|Hafen|hafen|\r\n"
        "NAME|Lager|lager|\r\nNAME|Markt|markt|\r\nNAME|Leer|zzz|\r\nFOLDER|/prog/data|\r\n");
  }
  MainWindow& model() { return *run.model; }
  /// The log lines written since the last call, the data folder as "@".
  Lines NewLog() {
    Lines lines;
    for (const std::string& line : program.LogLines() | std::views::drop(logRead_))
      lines.push_back(Replace(line, "/prog/data/", "@"));
    logRead_ += lines.size();
    return lines;
  }

  TestProgram program{"finder"};
  WindowRun run{program.Options()};

 private:
  std::size_t logRead_ = 0;
};

TEST_F(MainWindowTest, ARunIsShownAndASelectedPersonShowsTheHitTheSelectorPicks) {
  run.LoadAndRun();
  EXPECT_EQ(Utf8(model().windowCaption.Caption + u" " + model().statusLabel.Caption + u" " +
                 model().folderCountLabel.Caption + u" " + model().fileCountLabel.Caption + u" " +
                 model().totalSizeLabel.Caption),
            "finder fertig 1 4 36 B");
  EXPECT_EQ(model().progressBar.Width, static_cast<float>(kProgressInnerWidthTwips));
  const std::pair<std::function<void()>, std::string> steps[] = {
      {[&] { Select(model(), u"Nord"); }, "Nord 3 1 @a.txt 3 1 on"},
      {[&] { Pick(model(), 3); }, "Nord 3 3 @d.txt 3 3 on"},
      {[&] { Pick(model(), 2, true); }, "Nord 3 2 @c.txt 3 2 on"},
      {[&] { Select(model(), u"Leer"); }, "Leer 0   1 1 off"},
      {[&] { Pick(model(), 1); }, "Leer 0   1 1 off"},  // a disabled selector picks nothing
      {[&] { Select(model(), u"Hafen"); }, "Hafen 1 1 @c.txt 1 1 on"},
  };
  for (const auto& [act, view] : steps) {
    act();
    EXPECT_EQ(View(model()), view);
  }
}

TEST_F(MainWindowTest, HitsFoundWhileAPersonIsShownRaiseItsCount) {
  const std::pair<std::function<bool(MainWindow&)>, std::string> cases[] = {
      {[](MainWindow& model) { return model.personList.Items.size() == 5; }, "Nord 0   1 1 off"},
      {[](MainWindow& model) { return NordHits(model) == 1; }, "Nord 1 1 @a.txt 1 1 on"},
  };
  for (const auto& [when, view] : cases) {
    WindowRun other(program.Options());
    std::string shown;
    OnceWhen(other.window, when, [&](MainWindow& model) {
      Select(model, u"Nord");
      shown = View(model);
    });
    other.LoadAndRun();
    EXPECT_EQ(shown, view);
    // The first hit shows the person; later ones raise the count and the range, and keep the pick.
    EXPECT_EQ(View(*other.model), "Nord 3 1 @a.txt 3 1 on");
  }
}

TEST_F(MainWindowTest, ButtonsActOnTheHitShownAndReportWhatFailed) {
  run.LoadAndRun();
  NewLog();
  Select(model(), u"Nord");
  Pick(model(), 2);
  model().OnOpenClicked();
  EXPECT_EQ(program.system().Edited, std::vector{program.Path("data/c.txt")});
  for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes, MessageAnswer::Yes})
    run.window.AnswerNext(answer);
  model().OnDeleteClicked();
  EXPECT_TRUE(program.system().Exists(program.Path("data/c.txt")));
  EXPECT_EQ(NewLog(), Lines{});
  model().OnDeleteClicked();
  EXPECT_FALSE(program.system().Exists(program.Path("data/c.txt")));
  model().OnDeleteClicked();  // finds nothing to delete
  EXPECT_EQ(NewLog(), (Lines{"KILL: @c.txt", "KILL: @c.txt", "ERROR: Datei nicht gefunden"}));
  EXPECT_EQ(View(model()), "Nord 3 2 @c.txt 3 2 on");  // a deleted file stays a hit
  EXPECT_EQ(run.window.Boxes[0].Buttons, MessageButtons::YesNo);
  EXPECT_EQ(run.window.Boxes[0].Default, DefaultButton::Second);

  // The editor's failure is shown but not logged; the delete's is both. The file the walk found
  // is deleted, not one that replaced it since.
  program.system().Fail(FakeSystem::Operation::Delete, program.Path("data/a.txt"));
  program.system().Fail(FakeSystem::Operation::Editor, program.Path("data/a.txt"));
  program.Write("data/d.txt", "neu");
  for (const std::int32_t hit : {1, 3}) {
    Pick(model(), hit);
    if (hit == 1) model().OnOpenClicked();
    run.window.AnswerNext(MessageAnswer::Yes);
    model().OnDeleteClicked();
  }
  EXPECT_TRUE(program.system().Exists(program.Path("data/a.txt")));
  EXPECT_TRUE(program.system().Exists(program.Path("data/d.txt")));
  const std::string replaced = "Die Datei wurde seit der Suche ersetzt oder verschoben.";
  EXPECT_EQ(NewLog(), (Lines{"KILL: @a.txt", "ERROR: Zugriff verweigert", "KILL: @d.txt",
                             "ERROR: " + replaced}));
  EXPECT_EQ(Boxes(run.window),
            (Lines{kAsk, kAsk, kAsk, "Fehler: Datei nicht gefunden", "Fehler: Zugriff verweigert",
                   kAsk, "Fehler: Zugriff verweigert", kAsk, "Fehler: " + replaced}));
}

TEST_F(MainWindowTest, SortOrdersByHitsWithPickOrderTiesAndKeepsTheSelection) {
  run.LoadAndRun();
  Select(model(), u"Nord");
  Pick(model(), 2);
  model().personList.ListIndex = 2;           // Lager selected, Nord still shown
  for (int round = 1; round <= 2; ++round) {  // each sort starts from declaration order
    model().OnSortClicked();
    EXPECT_EQ(model().personList.Items,
              (std::vector<std::u16string>{u"Nord", u"Hafen", u"Markt", u"Lager", u"Leer"}));
    EXPECT_EQ(model().personList.ListIndex, 3);
  }
  EXPECT_EQ(View(model()), "Nord 3 2 @c.txt 3 2 on");  // the re-selection shows nobody
}

TEST(MainWindowErrorTest, ConfigurationErrorsAreShownInBoxesNamingTheirLine) {
  TestProgram program;
  program.WriteConfig("NAME|A|\r\nSEARCHMODE|FAST|\r\nBOGUS|\r\n");
  WindowRun run(program.Options());
  run.LoadAndRun();
  Lines boxes;
  for (const MessageRequest& box : run.window.Boxes) {
    boxes.push_back(std::to_string(box.ConfigurationLine) + " " +
                    Utf8(box.Title + u": " + box.Text));
    EXPECT_EQ(box.Buttons, MessageButtons::Ok);
  }
  EXPECT_EQ(boxes, (Lines{"2 Fehler: Unbekannter Suchmodus \"FAST\".",
                          "3 Fehler: Unbekannter Befehl: \"BOGUS\""}));
  EXPECT_EQ(run.model->statusLabel.Caption, u"fertig");
}

TEST_F(MainWindowTest, ClosingLogsExitAndAtAPointOfTheRunStopsIt) {
  run.LoadAndRun();
  model().OnClose();
  EXPECT_TRUE(run.window.Closed);
  const Lines all = NewLog();
  EXPECT_EQ(all.back(), "EXIT");

  // Closed once Nord's first hit is found, the run searches no further.
  WindowRun closing(program.Options());
  OnceWhen(
      closing.window, [](MainWindow& model) { return NordHits(model) == 1; },
      [](MainWindow& model) { model.OnClose(); });
  closing.LoadAndRun();
  EXPECT_TRUE(closing.window.Closed);
  EXPECT_NE(closing.model->statusLabel.Caption, u"fertig");
  const Lines log = NewLog();
  EXPECT_EQ(log.back(), "EXIT");
  EXPECT_EQ(std::ranges::count(log, "EXIT"), 1);
  EXPECT_LT(log.size(), all.size());
}

}  // namespace
