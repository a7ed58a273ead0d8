// The window driver's policy, headless: a recording front end in place of widgets.
#include "shell/window_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/window_layout.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

/// One line per view: the control's name and the values of its kind.
std::string Describe(const ControlView& view) {
  std::string name = view.Control == ControlId::StartTimer ? "StartTimer" : "Caption";
  for (const ControlLayout& layout : kWindowLayout) {
    if (layout.Id == view.Control) name = Utf8(layout.Name);
  }
  const auto number = [](auto value) { return std::to_string(value); };
  switch (view.Control) {
    case ControlId::ProgressBar:
      return name + " " + number(std::lround(view.Fill * 100)) + "%";
    case ControlId::StartTimer:
      return name + (view.Enabled ? " on " + number(view.Interval) : " off");
    default:
      return name + " " + Utf8(view.Text) + (view.Enabled ? "" : " off");
  }
}

/// Records what the driver asks of a front end; posted tasks wait for RunPosted.
class RecordingFrontEnd : public FrontEnd {
 public:
  void showControl(const ControlView& view) override {
    Seen.push_back(Describe(view));
    if (Echo) Echo(view);
  }
  void processEvents() override { Seen.emplace_back("pump"); }
  MessageAnswer askUser(const MessageRequest& request) override {
    Seen.push_back("ask " + Utf8(request.Title) + ": " + Utf8(request.Text));
    return MessageAnswer::Yes;
  }
  void post(std::function<void()> task) override { posted_.push_back(std::move(task)); }
  void closeWindow() override { Seen.emplace_back("close"); }

  /// Runs the posted tasks, as the event loop's next turn would.
  void RunPosted() {
    while (!posted_.empty()) {
      const std::function<void()> task = std::move(posted_.front());
      posted_.pop_front();
      task();
    }
  }
  /// What was seen since the last call.
  Lines Take() { return std::exchange(Seen, {}); }

  Lines Seen;
  std::function<void(const ControlView&)> Echo;  ///< input a widget reports while it is shown

 private:
  std::deque<std::function<void()>> posted_;
};

class WindowDriverTest : public testing::Test {
 protected:
  WindowDriverTest()
      : driver(frontEnd, program.Options(), Pacing::EveryPoint), model(driver.Model()) {
    driver.Load();
    frontEnd.RunPosted();
    frontEnd.Take();
  }

  TestProgram program{"finder"};
  RecordingFrontEnd frontEnd;
  WindowDriver driver;
  MainWindow& model;
};

TEST_F(WindowDriverTest, StatusIsShownWhenEventsRunOnceWhateverTheNumberOfChanges) {
  model.StatusChanged(u"a");
  model.FilesCounted(7, 2048);
  model.StatusChanged(u"b");
  EXPECT_EQ(frontEnd.Take(), Lines{});
  driver.processPendingMessages();
  EXPECT_EQ(frontEnd.Take(), (Lines{"Status b", "anzFiles 7", "allSize 2 KB", "pump"}));

  // Before a box, so the user sees where the run is; after a handler, at the loop's next turn.
  // A box shows at most the limit of its text.
  model.FoldersCounted(3);
  driver.messageBox({std::u16string(WindowDriver::kMessageTextLimit + 1, u'x'), u"Titel"});
  model.ProgressChanged(0.5);
  frontEnd.RunPosted();
  EXPECT_EQ(frontEnd.Take(),
            (Lines{"anzFolders 3",
                   "ask Titel: " + std::string(WindowDriver::kMessageTextLimit, 'x') + "…",
                   "processBar 50%"}));

  // The bar fills its frame at most.
  model.ProgressChanged(2.5);
  frontEnd.RunPosted();
  EXPECT_EQ(frontEnd.Take(), Lines{"processBar 100%"});
}

TEST_F(WindowDriverTest, TheRunStartsOnceArmedAndPaintedWhicheverComesFirst) {
  const std::vector<std::function<void(WindowDriver&)>> orders[] = {
      {&WindowDriver::StartWhenShown, &WindowDriver::Painted},
      {&WindowDriver::Painted, &WindowDriver::Painted, &WindowDriver::StartWhenShown},
  };
  for (const auto& order : orders) {
    RecordingFrontEnd shown;
    WindowDriver other(shown, program.Options(), Pacing::EveryPoint);
    other.Load();
    other.StartTimerTick();  // too early: the timer cannot have run yet
    for (const auto& step : order)
      step(other);
    EXPECT_EQ(std::ranges::count(shown.Seen, "StartTimer on 1"), 1);
    EXPECT_EQ(other.Model().statusLabel.Caption, u"Start");

    shown.Take();
    other.StartTimerTick();
    other.StartTimerTick();  // the model disabled the timer: one run only
    const Lines run = shown.Take();
    EXPECT_EQ(run.front(), "StartTimer off");
    EXPECT_EQ(std::ranges::count(run, "ask Fehler: Die Konfigurationsdatei wurde nicht gefunden."),
              1);
    EXPECT_EQ(other.Model().statusLabel.Caption, u"fertig");
  }
}

TEST_F(WindowDriverTest, InputIsIgnoredWhileAControlIsShownAndOnceClosed) {
  // The list reports the selection it is given, as a toolkit's list does.
  frontEnd.Echo = [this](const ControlView& view) {
    if (view.Control == ControlId::PersonList) driver.PersonListSelected(0);
  };
  for (const char16_t* line : {u"NAME|A|a|", u"NAME|B|b|"})
    model.Session().ExecuteLine(line);
  EXPECT_EQ(model.DisplayedPerson(), std::nullopt);
  frontEnd.Take();
  driver.PersonListSelected(1);
  EXPECT_EQ(model.DisplayedPerson(), model.Session().Persons().Find(u"B"));
  EXPECT_EQ(frontEnd.Take().front(), "PersonFrame B");  // shown at once, not batched

  driver.CloseRequested();
  driver.CloseRequested();
  EXPECT_TRUE(driver.Closed());
  EXPECT_EQ(frontEnd.Take(), (Lines{"StartTimer off", "close"}));
  driver.PersonListSelected(0);
  driver.Clicked(ControlId::SortButton);
  driver.processPendingMessages();
  const MessageRequest ask{u"?", u"Frage", MessageButtons::YesNo};
  EXPECT_EQ(driver.messageBox(ask), MessageAnswer::No);  // nobody is asked
  EXPECT_EQ(frontEnd.Take(), Lines{});
  EXPECT_EQ(model.DisplayedPerson(), model.Session().Persons().Find(u"B"));
  EXPECT_EQ(program.LogLines().back(), "EXIT");
  EXPECT_EQ(std::ranges::count(program.LogLines(), "EXIT"), 1);
}

TEST(WindowDriverTextTest, LongMessagesAreCutAfterTheLimit) {
  const std::u16string pair = u"\U0001F600";
  const std::pair<std::u16string, std::u16string> cases[] = {
      {std::u16string(10, u'a'), std::u16string(10, u'a')},
      {std::u16string(11, u'a'), std::u16string(10, u'a') + u"…"},
      {std::u16string(9, u'a') + pair, std::u16string(9, u'a') + u"…"},  // no half pair
      {std::u16string(8, u'a') + pair + u"b", std::u16string(8, u'a') + pair + u"…"},
  };
  for (const auto& [text, shown] : cases) {
    EXPECT_EQ(ShortenedMessageText(text, 10), shown) << Utf8(text);
  }
}

}  // namespace
