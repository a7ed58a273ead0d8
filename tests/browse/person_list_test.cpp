#include <gtest/gtest.h>

#include "search/search_fixture.h"

namespace {

using Names = std::vector<std::u16string>;

TEST(PersonListTest, SortOrdersByHitsWithTheTieRuleAndKeepsTheSelection) {
  struct Case {
    std::vector<std::pair<std::string, int>> persons;  // name and hit count
    std::int32_t selected;
    Names sorted;
    std::int32_t reselected;
  };
  const Case cases[] = {
      {{{"Nord", 2}, {"Hafen", 1}, {"Lager", 1}, {"Markt", 1}, {"Kasse", 0}},
       2,
       {u"Nord", u"Hafen", u"Markt", u"Lager", u"Kasse"},
       3},
      {{{"P1", 0}, {"P2", 0}, {"P3", 0}, {"P4", 0}}, -1, {u"P1", u"P4", u"P3", u"P2"}, -1},
      {{}, -1, {}, -1},
      {{{"A", 0}, {"", 1}}, -1, {u"", u"A"}, 0},  // "" is also the text of no selection
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    for (const auto& [name, count] : c.persons) {
      std::u16string hits = u"|";
      for (int hit = 0; hit < count; ++hit)
        hits += u"1|";
      fixture.AddPerson(name, "|x|", hits);
    }
    fixture.AddFile("a", {}, 1);
    fixture.form().ShowPerson(1);
    fixture.form().PersonList.ListIndex = c.selected;
    const std::u16string shown = fixture.form().PersonFrame.Tag;
    const std::size_t changesBefore = fixture.window().Changes.size();

    for (int round = 1; round <= 2; ++round) {  // each sort starts from declaration order
      fixture.form().SortList_Click();
      EXPECT_EQ(fixture.form().PersonList.Items, c.sorted) << round;
      EXPECT_EQ(fixture.form().PersonList.ListIndex, c.reselected) << round;
      EXPECT_EQ(fixture.form().PersonList.Tag, u"");
    }
    EXPECT_EQ(fixture.form().PersonFrame.Tag, shown);  // the re-selection shows nobody
    const std::vector<ControlId> changes(fixture.window().Changes.begin() + changesBefore,
                                         fixture.window().Changes.end());
    EXPECT_EQ(std::count(changes.begin(), changes.end(), ControlId::PersonList), changes.size());
  }
}

}  // namespace
