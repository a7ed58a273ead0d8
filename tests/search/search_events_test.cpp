#include <gtest/gtest.h>

#include "search/search_fixture.h"

namespace {

TEST(SearchEventsTest, HitsOfTheShownPersonUpdateTheViewLive) {
  SearchFixture fixture;
  for (const char* name : {"a", "b", "c", "d"})
    fixture.AddFile(name, name[0] == 'c' ? "y" : "x");
  fixture.AddPerson("P", "|x|");
  fixture.AddPerson("Q", "|");  // found everywhere, never on display
  fixture.form().ShowPerson(1);
  std::vector<std::string> seen{fixture.View()};
  fixture.window().At(1, [&](MainForm&) { seen.push_back(fixture.View()); });
  fixture.window().At(2, [&](MainForm& form) {
    form.PersonFundstellenAuswahl.Value = 2;
    form.PersonFundstellenAuswahl_Change();
    seen.push_back(fixture.View());
  });
  fixture.form().SearchFiles();  // c gives a point for P's miss and one at its end
  seen.push_back(fixture.View());
  const std::string a = fixture.PathOf("a"), b = fixture.PathOf("b");
  EXPECT_EQ(seen, (std::vector<std::string>{"0   1 1 off", "1 1 " + a + " 1 1 on",
                                            "2 2 " + b + " 2 2 on", "3 2 " + b + " 3 2 on"}));
}

TEST(SearchEventsTest, UserActionsRunBetweenFilesAndClosingStops) {
  // Points: 1 Nie's miss in a, 2 after a (sort and pick Alle), 3 Nie's miss in b, 4 after b
  // (delete a, still to be searched as file 3), 5 after file 3, which cannot be read.
  const struct {
    int closeAt;  // 0: never
    std::u16string status;
    std::vector<std::string> log;
  } cases[] = {
      {0,
       u"fertig",
       {"found new file: @a", "found new file: @b", "KILL: @a", "ERROR: cannot read file: @a"}},
      {1, u"a", {"EXIT"}},
      {2, u"a", {"found new file: @a", "EXIT"}},
      {3, u"b", {"found new file: @a", "EXIT"}},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    for (const char* name : {"a", "b", "a"})  // the same file reached twice
      fixture.AddFile(name, "");
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
    EXPECT_EQ(fixture.Log(), c.log) << c.closeAt;
    EXPECT_EQ(fixture.form().Status.Caption, c.status) << c.closeAt;
    EXPECT_EQ(fixture.window().Points, c.closeAt > 0 ? c.closeAt : 5);
    if (c.closeAt == 0) {
      EXPECT_EQ(fixture.form().PersonList.Items, (std::vector<std::u16string>{u"Alle", u"Nie"}));
      EXPECT_EQ(fixture.form().PersonHäufigkeit.Caption, u"2");  // Alle, shown since point 2
    }
  }
}

}  // namespace
