#include <gtest/gtest.h>

#include <sstream>

#include "search/search_fixture.h"

namespace {

using Lines = std::vector<std::string>;

/// The detail view as the user sees it.
struct View {
  std::u16string count, hit, path;
  std::int32_t max, value;
  bool selector, buttons;
  bool operator==(const View&) const = default;
};

View ViewOf(const MainForm& form) {
  return {form.PersonHäufigkeit.Caption,
          form.PersonFundstelle.Caption,
          form.PersonFundstelleVerzeichnis.Text,
          form.PersonFundstellenAuswahl.Max,
          form.PersonFundstellenAuswahl.Value,
          form.PersonFundstellenAuswahl.Enabled,
          form.Command1.Enabled && form.Command2.Enabled};
}

TEST(SearchEventsTest, HitsOfTheShownPersonUpdateTheViewLive) {
  SearchFixture fixture;
  fixture.AddFile("a", "x");
  fixture.AddFile("b", "x");
  fixture.AddFile("c", "y");
  fixture.AddFile("d", "x");
  fixture.AddPerson("P", "|x|");
  fixture.AddPerson("Q", "|");  // found everywhere, never on display
  fixture.form().ShowPerson(1);
  const std::u16string a = U16(fixture.PathOf("a")), b = U16(fixture.PathOf("b"));
  std::vector<View> seen;
  auto look = [&seen](MainForm& form) { seen.push_back(ViewOf(form)); };
  fixture.window().At(1, look);  // after file a
  fixture.window().At(2, [&look](MainForm& form) {
    form.PersonFundstellenAuswahl.Value = 2;
    form.PersonFundstellenAuswahl_Change();
    look(form);
  });
  // c: P's term is tried without a hit (point 3), then the file ends (point 4)
  fixture.form().SearchFiles();
  look(fixture.form());
  EXPECT_EQ(seen, (std::vector<View>{{u"1", u"1", a, 1, 1, true, true},
                                     {u"2", u"2", b, 2, 2, true, true},
                                     {u"3", u"2", b, 3, 2, true, true}}));
  EXPECT_EQ(fixture.window().Points, 5);
}

TEST(SearchEventsTest, SelectorKeepsWorkingPastSixteenBits) {
  SearchFixture fixture;
  std::ostringstream hits;
  hits << '|' << std::uppercase << std::hex;
  for (std::int32_t file = 1; file <= 32768; ++file) {
    fixture.AddEntry(file == 32768 ? "last" : "f", 1);
    if (file < 32768) hits << file << '|';
  }
  fixture.AddPerson("P", "|x|", U16(hits.str()));
  fixture.form().ShowPerson(1);
  fixture.form().AddHit(1, 32768);
  fixture.form().PersonFundstellenAuswahl.Value = 32768;
  fixture.form().PersonFundstellenAuswahl_Scroll();
  EXPECT_EQ(ViewOf(fixture.form()),
            (View{u"32768", u"32768", U16(fixture.PathOf("last")), 32768, 32768, true, true}));
}

TEST(SearchEventsTest, UserActionsRunBetweenFiles) {
  SearchFixture fixture;
  fixture.AddFile("a", "");
  fixture.AddFile("b", "");
  fixture.AddFile("a", "");         // the same file reached twice
  fixture.AddPerson("Nie", "|x|");  // tried without a hit in every file: points 1, 3, 5
  fixture.AddPerson("Alle", "|");
  fixture.window().At(2, [](MainForm& form) {
    form.SortList_Click();  // Alle has one hit, Nie none
    form.PersonList.ListIndex = 0;
    form.PersonList_Click();
  });
  fixture.window().At(4, [&fixture](MainForm& form) {
    fixture.window().AnswerNext(MessageAnswer::Yes);
    form.Command2_Click();  // deletes a, which is still to be searched as file 3
  });
  fixture.form().SearchFiles();
  EXPECT_EQ(fixture.form().PersonList.Items, (std::vector<std::u16string>{u"Alle", u"Nie"}));
  EXPECT_EQ(fixture.form().PersonFrame.Caption, u"Alle");
  EXPECT_EQ(fixture.form().PersonHäufigkeit.Caption, u"2");
  EXPECT_EQ(fixture.HitsOf(2), "|1|2|");
  const std::string a = fixture.PathOf("a");
  EXPECT_EQ(fixture.Log(), (Lines{"found new file: " + a, "found new file: " + fixture.PathOf("b"),
                                  "KILL: " + a, "ERROR: cannot read file: " + a}));
  EXPECT_EQ(fixture.form().Status.Caption, u"fertig");
}

TEST(SearchEventsTest, ClosingStopsAtTheNextTest) {
  struct Case {
    int closeAt;
    std::string hits;       // of Alle
    std::u16string status;  // the last one shown
  };
  // Points: 1 Nie's miss in a, 2 after a, 3 Nie's miss in b, 4 after b.
  const Case cases[] = {{1, "|", u"a"}, {2, "|1|", u"a"}, {3, "|1|", u"b"}};
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.AddFile("a", "");
    fixture.AddFile("b", "");
    fixture.AddPerson("Nie", "|x|");
    fixture.AddPerson("Alle", "|");
    fixture.window().At(c.closeAt, UserCloses());
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.HitsOf(2), c.hits) << c.closeAt;
    EXPECT_EQ(fixture.form().Status.Caption, c.status) << c.closeAt;
    const Lines found{"found new file: " + fixture.PathOf("a"), "EXIT"};
    EXPECT_EQ(fixture.Log(), c.hits == "|" ? Lines{"EXIT"} : found) << c.closeAt;
    EXPECT_EQ(fixture.window().Points, c.closeAt);
    EXPECT_TRUE(fixture.window().Closed);
  }
}

}  // namespace
