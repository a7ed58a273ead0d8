#include <gtest/gtest.h>

#include <filesystem>

#include "search/search_fixture.h"

namespace {

using Lines = std::vector<std::string>;

TEST(DetailViewTest, SelectorPicksHitsReadBackAsHexadecimal) {
  SearchFixture fixture;
  for (std::int32_t file = 1; file <= 65535; ++file)
    fixture.AddEntry("f" + std::to_string(file), 1);
  fixture.AddPerson("Nord", "|x|", u"|3|A|1A|FFFF|");
  fixture.form().ShowPerson(1);
  const MainForm& form = fixture.form();
  EXPECT_EQ(form.PersonFrame.Caption, u"Nord");
  EXPECT_EQ(form.PersonHäufigkeit.Caption, u"4");
  EXPECT_TRUE(form.PersonFundstellenAuswahl.Enabled);
  EXPECT_EQ(form.PersonFundstellenAuswahl.Min, 1);
  EXPECT_EQ(form.PersonFundstellenAuswahl.Max, 4);
  EXPECT_TRUE(form.Command1.Enabled && form.Command2.Enabled);
  const std::string expected[] = {"f3", "f10", "f26", "f65535"};
  for (std::int32_t hit = 1; hit <= 4; ++hit) {
    if (hit > 1) {
      fixture.form().PersonFundstellenAuswahl.Value = hit;
      fixture.form().PersonFundstellenAuswahl_Change();
    }
    EXPECT_EQ(form.PersonFundstelle.Caption, U16(std::to_string(hit)));
    EXPECT_EQ(form.PersonFundstelleVerzeichnis.Text, U16(fixture.PathOf(expected[hit - 1])));
  }
}

TEST(DetailViewTest, PersonWithoutHitsDisablesTheView) {
  SearchFixture fixture;
  fixture.AddEntry("a", 1);
  fixture.AddPerson("Nord", "|x|", u"|1|");
  fixture.AddPerson("Kasse", "|y|");
  fixture.form().ShowPerson(1);
  fixture.form().ShowPerson(2);
  const MainForm& form = fixture.form();
  EXPECT_EQ(form.PersonFrame.Tag, u"2");
  EXPECT_EQ(form.PersonHäufigkeit.Caption, u"0");
  EXPECT_EQ(form.PersonFundstelle.Caption, u"");
  EXPECT_EQ(form.PersonFundstelleVerzeichnis.Text, u"");
  EXPECT_FALSE(form.PersonFundstellenAuswahl.Enabled);
  EXPECT_EQ(form.PersonFundstellenAuswahl.Max, 1);
  EXPECT_FALSE(form.Command1.Enabled || form.Command2.Enabled);
  // A change event of the disabled selector does nothing.
  fixture.form().PersonFundstellenAuswahl_Change();
  EXPECT_EQ(form.PersonFundstelle.Caption, u"");
}

TEST(DetailViewTest, ButtonsActOnThePathBox) {
  struct Case {
    bool showHit;
    std::vector<MessageAnswer> answers;  // one per click of Command2
    Lines log;                           // "<a>" stands for the hit's path
    std::vector<std::u16string> errors;  // texts of the "Fehler" boxes
    bool fileRemains;
  };
  const Case cases[] = {
      {false,
       {MessageAnswer::Yes},
       {"KILL: ", "ERROR: Datei nicht gefunden"},
       {u"Datei nicht gefunden"},
       true},
      {true, {MessageAnswer::No}, {}, {}, true},
      {true,
       {MessageAnswer::Yes, MessageAnswer::Yes},
       {"KILL: <a>", "KILL: <a>", "ERROR: Datei nicht gefunden"},
       {u"Datei nicht gefunden"},
       false},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.AddFile("a", "x");
    fixture.AddPerson("Nord", "|x|", u"|1|");
    if (c.showHit) fixture.form().ShowPerson(1);
    const std::u16string shown = fixture.form().PersonFundstelleVerzeichnis.Text;

    fixture.form().Command1_Click();
    for (const MessageAnswer answer : c.answers) {
      fixture.window().AnswerNext(answer);
      fixture.form().Command2_Click();
    }

    EXPECT_EQ(fixture.Opened, std::vector<std::u16string>{shown});
    Lines expected = c.log;
    for (auto& line : expected) {
      if (line.ends_with("<a>")) line.replace(line.size() - 3, 3, fixture.PathOf("a"));
    }
    EXPECT_EQ(fixture.Log(), expected);
    const auto& boxes = fixture.window().Boxes;
    ASSERT_EQ(boxes.size(), c.answers.size() + c.errors.size());
    EXPECT_EQ(boxes[0].Text, u"Wollen Sie wirklich diese Datei endgültig löschen?");
    EXPECT_EQ(boxes[0].Title, u"Wirklich löschen?");
    EXPECT_EQ(boxes[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes[0].Icon, MessageIcon::Critical);
    EXPECT_EQ(boxes[0].Default, DefaultButton::Second);
    if (!c.errors.empty()) {
      EXPECT_EQ(boxes.back().Title, u"Fehler");
      EXPECT_EQ(boxes.back().Text, c.errors[0]);
    }
    EXPECT_EQ(std::filesystem::exists(fixture.PathOf("a")), c.fileRemains);
    EXPECT_EQ(fixture.HitsOf(1), "|1|");  // a deleted file stays a hit
  }
}

}  // namespace
