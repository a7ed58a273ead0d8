#include <gtest/gtest.h>

#include "testing/search_fixture.h"

namespace {

TEST(PersonListTest, SortOrdersByHitsWithTheTieRuleAndKeepsTheSelection) {
  const struct {
    std::vector<std::pair<std::string, int>> persons;  // name and hit count
    std::int32_t selected;
    std::vector<std::u16string> sorted;
    std::int32_t reselected;
  } cases[] = {
      // clang-format off
      {{{"Nord", 2}, {"Hafen", 1}, {"Lager", 1}, {"Markt", 1}, {"Kasse", 0}}, 2,
       {u"Nord", u"Hafen", u"Markt", u"Lager", u"Kasse"}, 3},
      {{{"P1", 0}, {"P2", 0}, {"P3", 0}, {"P4", 0}}, -1, {u"P1", u"P4", u"P3", u"P2"}, -1},
      {{}, -1, {}, -1},
      {{{"A", 0}, {"", 1}}, -1, {u"", u"A"}, 0},  // "" is also the text of no selection
      // clang-format on
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    for (const auto& [name, count] : c.persons) {
      std::string hits = "|";
      for (int hit = 0; hit < count; ++hit)
        hits += "1|";
      fixture.AddPerson(name, "|x|", U16(hits));
    }
    fixture.AddFile("a", {}, 1);
    fixture.form().ShowPerson(1);
    fixture.form().PersonList.ListIndex = c.selected;
    const std::string shown = fixture.View();
    for (int round = 1; round <= 2; ++round) {  // each sort starts from declaration order
      fixture.form().SortList_Click();
      EXPECT_EQ(fixture.form().PersonList.Items, c.sorted) << round;
      EXPECT_EQ(fixture.form().PersonList.ListIndex, c.reselected) << round;
      EXPECT_EQ(fixture.form().PersonList.Tag, u"");
    }
    EXPECT_EQ(fixture.View(), shown);  // the re-selection shows nobody
    EXPECT_EQ(fixture.form().PersonFrame.Tag, c.persons.empty() ? u"" : u"1");
  }
}

}  // namespace
