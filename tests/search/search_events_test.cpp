#include <gtest/gtest.h>

#include <sstream>

#include "search/search_fixture.h"

namespace {

using Lines = std::vector<std::string>;

/// The detail view as the user sees it.
struct View {
  std::u16string count, hit, path;
  std::int32_t max, value;
  bool enabled;  // selector and both buttons
  bool operator==(const View&) const = default;
};

View ViewOf(const MainForm& form) {
  const auto& selector = form.PersonFundstellenAuswahl;
  return {form.PersonHäufigkeit.Caption,
          form.PersonFundstelle.Caption,
          form.PersonFundstelleVerzeichnis.Text,
          selector.Max,
          selector.Value,
          selector.Enabled && form.Command1.Enabled && form.Command2.Enabled};
}

TEST(SearchEventsTest, HitsOfTheShownPersonUpdateTheViewLive) {
  SearchFixture fixture;
  for (const char* name : {"a", "b", "c", "d"})
    fixture.AddFile(name, name[0] == 'c' ? "y" : "x");
  fixture.AddPerson("P", "|x|");
  fixture.AddPerson("Q", "|");  // found everywhere, never on display
  fixture.form().ShowPerson(1);
  std::vector<View> seen;
  fixture.window().At(1, [&seen](MainForm& form) { seen.push_back(ViewOf(form)); });
  fixture.window().At(2, [&seen](MainForm& form) {
    form.PersonFundstellenAuswahl.Value = 2;
    form.PersonFundstellenAuswahl_Change();
    seen.push_back(ViewOf(form));
  });
  fixture.form().SearchFiles();  // c gives a point for P's miss and one at its end
  seen.push_back(ViewOf(fixture.form()));
  const std::u16string a = U16(fixture.PathOf("a")), b = U16(fixture.PathOf("b"));
  EXPECT_EQ(seen, (std::vector<View>{{u"1", u"1", a, 1, 1, true},
                                     {u"2", u"2", b, 2, 2, true},
                                     {u"3", u"2", b, 3, 2, true}}));
}

TEST(SearchEventsTest, SelectorKeepsWorkingPastSixteenBits) {
  SearchFixture fixture;
  std::ostringstream hits;
  hits << '|' << std::uppercase << std::hex;
  for (std::int32_t file = 1; file < 0xABCD; ++file) {
    fixture.AddFile("f", {}, 1);
    if (file <= 32767) hits << file << '|';
  }
  fixture.AddFile("last", {}, 1);
  fixture.AddPerson("P", "|x|", U16(hits.str()));
  fixture.form().ShowPerson(1);
  fixture.form().AddHit(1, 0xABCD);
  fixture.form().PersonFundstellenAuswahl.Value = 32768;
  fixture.form().PersonFundstellenAuswahl_Scroll();
  EXPECT_TRUE(fixture.HitsOf(1).ends_with("|7FFF|ABCD|"));
  EXPECT_EQ(ViewOf(fixture.form()),
            (View{u"32768", u"32768", U16(fixture.PathOf("last")), 32768, 32768, true}));
}

TEST(SearchEventsTest, UserActionsRunBetweenFilesAndClosingStops) {
  struct Case {
    int closeAt;  // 0: never
    std::u16string status;
    Lines log;  // "@" stands for the data folder
  };
  // Points: 1 Nie's miss in a, 2 after a (sort and pick Alle), 3 Nie's miss in b, 4 after b
  // (delete a, still to be searched as file 3), 5 after file 3, which cannot be read.
  const Case cases[] = {
      {0,
       u"fertig",
       {"found new file: @a", "found new file: @b", "KILL: @a", "ERROR: cannot read file: @a"}},
      {1, u"a", {"EXIT"}},
      {2, u"a", {"found new file: @a", "EXIT"}},
      {3, u"b", {"found new file: @a", "EXIT"}},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.AddFile("a", "");
    fixture.AddFile("b", "");
    fixture.AddFile("a", "");  // the same file reached twice
    fixture.AddPerson("Nie", "|x|");
    fixture.AddPerson("Alle", "|");
    if (c.closeAt > 0) fixture.window().At(c.closeAt, UserCloses());
    fixture.window().At(2, [](MainForm& form) {
      form.SortList_Click();
      form.PersonList.ListIndex = 0;
      form.PersonList_Click();
    });
    fixture.window().At(4, [&fixture](MainForm& form) {
      fixture.window().AnswerNext(MessageAnswer::Yes);
      form.Command2_Click();
    });
    fixture.form().SearchFiles();
    Lines expected = c.log;
    for (auto& line : expected) {
      if (const auto at = line.find('@'); at != std::string::npos) {
        line.replace(at, 1, fixture.PathOf(""));
      }
    }
    EXPECT_EQ(fixture.Log(), expected) << c.closeAt;
    EXPECT_EQ(fixture.form().Status.Caption, c.status) << c.closeAt;
    EXPECT_EQ(fixture.window().Points, c.closeAt > 0 ? c.closeAt : 5);
    if (c.closeAt == 0) {
      EXPECT_EQ(fixture.form().PersonList.Items, (std::vector<std::u16string>{u"Alle", u"Nie"}));
      EXPECT_EQ(fixture.form().PersonHäufigkeit.Caption, u"2");  // Alle, shown since point 2
    }
  }
}

}  // namespace
