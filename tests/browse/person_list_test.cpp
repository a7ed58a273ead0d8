#include <gtest/gtest.h>

#include "search/search_fixture.h"

namespace {

using Names = std::vector<std::u16string>;

TEST(PersonListTest, SortOrdersByHitsWithTheTieRuleAndKeepsTheSelection) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, int>> persons;  // name and hit count
    std::int32_t selected;
    Names sorted;
    std::int32_t reselected;
  };
  const Case cases[] = {
      {"worked example",
       {{"Nord", 2}, {"Hafen", 1}, {"Lager", 1}, {"Markt", 1}, {"Kasse", 0}},
       2,
       {u"Nord", u"Hafen", u"Markt", u"Lager", u"Kasse"},
       3},
      {"all equal",
       {{"P1", 0}, {"P2", 0}, {"P3", 0}, {"P4", 0}},
       -1,
       {u"P1", u"P4", u"P3", u"P2"},
       -1},
      {"no persons", {}, -1, {}, -1},
      {"empty name matches no selection", {{"A", 0}, {"", 1}}, -1, {u"", u"A"}, 0},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.AddEntry("a", 1);
    fixture.AddEntry("b", 1);
    for (const auto& [name, count] : c.persons) {
      std::u16string hits = u"|";
      for (int hit = 0; hit < count; ++hit)
        hits += u"1|";
      fixture.AddPerson(name, "|x|", hits);
    }
    fixture.form().ShowPerson(1);
    fixture.form().PersonList.ListIndex = c.selected;
    const std::u16string shown = fixture.form().PersonFrame.Tag;
    const std::size_t changesBefore = fixture.window().Changes.size();

    for (int round = 1; round <= 2; ++round) {
      fixture.form().SortList_Click();
      EXPECT_EQ(fixture.form().PersonList.Items, c.sorted) << c.name << round;
      EXPECT_EQ(fixture.form().PersonList.ListIndex, c.reselected) << c.name << round;
      EXPECT_EQ(fixture.form().PersonList.Tag, u"") << c.name;
    }
    // The re-selection does not show anybody.
    EXPECT_EQ(fixture.form().PersonFrame.Tag, shown) << c.name;
    for (std::size_t i = changesBefore; i < fixture.window().Changes.size(); ++i) {
      EXPECT_EQ(fixture.window().Changes[i], ControlId::PersonList) << c.name;
    }
  }
}

TEST(PersonListTest, ClickShowsTheSelectedPersonUnlessTheListIsRebuilt) {
  SearchFixture fixture;
  fixture.AddEntry("a", 1);
  fixture.AddPerson("Nord", "|x|", u"|1|");
  fixture.AddPerson("Hafen", "|y|");
  MainForm& form = fixture.form();
  form.PersonList.Tag = u"nochange";
  form.PersonList.ListIndex = 0;
  form.PersonList_Click();
  EXPECT_EQ(form.PersonFrame.Tag, u"");
  form.PersonList.Tag.clear();
  form.PersonList_Click();
  EXPECT_EQ(form.PersonFrame.Caption, u"Nord");
  EXPECT_EQ(form.PersonFundstelleVerzeichnis.Text, U16(fixture.PathOf("a")));
  form.PersonList.ListIndex = -1;
  form.PersonList_Click();
  EXPECT_EQ(form.PersonFrame.Caption, u"Nord");
}

}  // namespace
