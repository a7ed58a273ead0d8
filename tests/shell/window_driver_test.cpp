// The window driver's policy, headless: a recording front end in place of widgets.
#include "shell/window_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <functional>
#include <string>
#include <thread>
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
    case ControlId::PersonList:
      return name + " keep " + number(view.UnchangedItems) + " of " + number(view.Items.size()) +
             " sel " + number(view.Selected);
    case ControlId::StartTimer:
      return name + (view.Enabled ? " on " + number(view.Interval) : " off");
    default:
      return name + " " + Utf8(view.Text) + (view.Enabled ? "" : " off");
  }
}

/// Records what the driver asks of a front end; posted tasks wait for RunPosted.
class RecordingFrontEnd : public FrontEnd {
 public:
  void showControl(const ControlView& view) override { Seen.push_back(Describe(view)); }
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

 private:
  std::deque<std::function<void()>> posted_;
};

class WindowDriverTest : public testing::Test {
 protected:
  explicit WindowDriverTest(Pacing pacing = Pacing::EveryPoint)
      : driver(frontEnd, program.Options(), pacing), form(driver.Form()) {
    form.Form_Load();
    frontEnd.RunPosted();
    frontEnd.Take();
  }

  TestProgram program{"finder"};
  RecordingFrontEnd frontEnd;
  WindowDriver driver;
  MainForm& form;
};

TEST_F(WindowDriverTest, StatusIsShownWhenEventsRunOnceWhateverTheNumberOfChanges) {
  form.SetStatus(u"a");
  form.SetFileCount(7);
  form.SetStatus(u"b");
  EXPECT_EQ(frontEnd.Take(), Lines{});
  driver.processPendingMessages();
  EXPECT_EQ(frontEnd.Take(), (Lines{"Status b", "anzFiles 7", "pump"}));

  // Before a box, so the user sees where the run is; after a handler, at the loop's next turn.
  // A box shows at most the limit of its text.
  form.SetAllSize(2048);
  driver.messageBox({std::u16string(WindowDriver::kMessageTextLimit + 1, u'x'), u"Titel"});
  form.SetProgress(0.5);
  frontEnd.RunPosted();
  EXPECT_EQ(frontEnd.Take(),
            (Lines{"allSize 2 KB",
                   "ask Titel: " + std::string(WindowDriver::kMessageTextLimit, 'x') + "…",
                   "processBar 50%"}));

  // The bar fills its frame at most.
  for (const double fraction : {0.25, 2.5, -1.0}) {
    form.SetProgress(fraction);
    frontEnd.RunPosted();
  }
  EXPECT_EQ(frontEnd.Take(), (Lines{"processBar 25%", "processBar 100%", "processBar 0%"}));

  // Other controls are shown at once.
  form.PersonHäufigkeit.Caption = u"3";
  driver.controlChanged(ControlId::HitCount);
  EXPECT_EQ(frontEnd.Take(), Lines{"PersonHäufigkeit 3"});
}

class PacedWindowDriverTest : public WindowDriverTest {
 protected:
  PacedWindowDriverTest() : WindowDriverTest(Pacing::Paced) {}
};

TEST_F(PacedWindowDriverTest, PointsProcessEventsOncePerIntervalAndShowTheStatusThen) {
  int pumps = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int point = 0; point < 1000; ++point) {
    form.SetFileCount(point);
    driver.processPendingMessages();
  }
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  for (const std::string& line : frontEnd.Seen)
    pumps += line == "pump" ? 1 : 0;
  // At most one pump per 15 ms interval that passed (a loaded machine lets several pass),
  // never one per point.
  EXPECT_GE(pumps, 1);
  EXPECT_LE(pumps, took.count() / 15 + 2);
  EXPECT_EQ(frontEnd.Seen.size(), 2u * static_cast<std::size_t>(pumps));
  frontEnd.Take();
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  driver.processPendingMessages();
  EXPECT_EQ(frontEnd.Take(), (Lines{"anzFiles 999", "pump"}));
}

TEST_F(WindowDriverTest, TheRunStartsOnceArmedAndPaintedWhicheverComesFirst) {
  const std::vector<std::function<void(WindowDriver&)>> orders[] = {
      {&WindowDriver::StartWhenShown, &WindowDriver::Painted},
      {&WindowDriver::Painted, &WindowDriver::Painted, &WindowDriver::StartWhenShown},
  };
  for (const auto& order : orders) {
    RecordingFrontEnd shown;
    WindowDriver other(shown, program.Options(), Pacing::EveryPoint);
    other.Form().Form_Load();
    other.StartTimerTick();  // too early: the timer cannot have run yet
    for (const auto& step : order)
      step(other);
    Lines timer;
    for (const std::string& line : shown.Seen) {
      if (line.starts_with("StartTimer")) timer.push_back(line);
    }
    EXPECT_EQ(timer.back(), "StartTimer on 1");
    EXPECT_EQ(std::ranges::count(timer, "StartTimer on 1"), 1);
    EXPECT_EQ(other.Form().Status.Caption, u"Start");

    shown.Take();
    other.StartTimerTick();
    other.StartTimerTick();  // the form disabled the timer: one run only
    const Lines run = shown.Take();
    EXPECT_EQ(run.front(), "StartTimer off");
    EXPECT_EQ(std::ranges::count(run, "ask Fehler: Die Konfigurationsdatei wurde nicht gefunden."),
              1);
    EXPECT_EQ(other.Form().Status.Caption, u"fertig");
  }
}

TEST_F(WindowDriverTest, TheListGetsOnlyTheNewItemsUntilItIsRebuilt) {
  for (const char16_t* name : {u"A", u"B", u"C"})
    form.AddPerson(name, u"|x|");
  form.Persons[3].Hits = u"|1|";
  form.PersonList.ListIndex = 1;  // B
  form.SortList_Click();
  // Sorting rebuilds the list and selects B again on the way.
  EXPECT_EQ(frontEnd.Take(),
            (Lines{"PersonList keep 0 of 1 sel -1", "PersonList keep 1 of 2 sel -1",
                   "PersonList keep 2 of 3 sel -1", "PersonList keep 0 of 3 sel 2",
                   "PersonList keep 3 of 3 sel 2", "PersonList keep 3 of 3 sel 2"}));
  EXPECT_EQ(form.PersonList.Items, (std::vector<std::u16string>{u"C", u"A", u"B"}));
}

TEST(WindowDriverTextTest, LongMessagesAreCutAfterTheLimit) {
  const std::u16string pair = u"\U0001F600";
  const std::pair<std::u16string, std::u16string> cases[] = {
      {std::u16string(5, u'a'), std::u16string(5, u'a')},
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
