#include <gtest/gtest.h>

#include <filesystem>

#include "search/search_fixture.h"

namespace {

TEST(DetailViewTest, SelectorPicksHitsReadBackAsHexadecimal) {
  SearchFixture fixture;
  for (std::int32_t file = 1; file <= 0xFFFF; ++file) {
    fixture.AddFile(std::string("f").append(std::to_string(file)), {}, 1);
  }
  fixture.AddPerson("Nord", "|x|", u"|3|A|1A|FFFF|");
  fixture.AddPerson("Kasse", "|y|");
  MainForm& form = fixture.form();
  form.ShowPerson(1);
  EXPECT_EQ(form.PersonFrame.Caption + u" " + form.PersonHäufigkeit.Caption, u"Nord 4");
  EXPECT_EQ(form.PersonFundstellenAuswahl.Max, 4);
  const char* files[] = {"f3", "f10", "f26", "f65535"};
  for (std::int32_t hit = 1; hit <= 4; ++hit) {
    form.PersonFundstellenAuswahl.Value = hit;
    form.PersonFundstellenAuswahl_Change();
    EXPECT_EQ(form.PersonFundstelle.Caption, U16(std::to_string(hit)));
    EXPECT_EQ(form.PersonFundstelleVerzeichnis.Text, U16(fixture.PathOf(files[hit - 1])));
  }
  form.ShowPerson(2);  // no hits: cleared and disabled
  EXPECT_EQ(form.PersonHäufigkeit.Caption, u"0");
  EXPECT_EQ(form.PersonFundstelle.Caption + form.PersonFundstelleVerzeichnis.Text, u"");
  EXPECT_EQ(form.PersonFundstellenAuswahl.Max, 1);
  EXPECT_FALSE(form.PersonFundstellenAuswahl.Enabled || form.Command1.Enabled ||
               form.Command2.Enabled);
}

TEST(DetailViewTest, ButtonsActOnThePathBox) {
  const std::u16string ask = u"Wollen Sie wirklich diese Datei endgültig löschen?";
  const std::u16string missing = u"Datei nicht gefunden";
  struct Case {
    bool showHit;
    std::vector<MessageAnswer> answers;  // one per click on Command2
    std::vector<std::string> log;        // "@" stands for the hit's path
    std::vector<std::u16string> boxes;
  };
  const Case cases[] = {
      {false, {MessageAnswer::Yes}, {"KILL: ", "ERROR: Datei nicht gefunden"}, {ask, missing}},
      {true, {MessageAnswer::No}, {}, {ask}},
      {true,
       {MessageAnswer::Yes, MessageAnswer::Yes},
       {"KILL: @", "KILL: @", "ERROR: Datei nicht gefunden"},
       {ask, ask, missing}},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.AddFile("a", "x");
    fixture.AddPerson("Nord", "|x|", u"|1|");
    if (c.showHit) fixture.form().ShowPerson(1);
    fixture.form().Command1_Click();
    for (const MessageAnswer answer : c.answers) {
      fixture.window().AnswerNext(answer);
      fixture.form().Command2_Click();
    }
    EXPECT_EQ(fixture.Opened,
              std::vector<std::u16string>{c.showHit ? U16(fixture.PathOf("a")) : u""});
    std::vector<std::string> expected = c.log;
    for (auto& line : expected) {
      if (line.back() == '@') line.replace(line.size() - 1, 1, fixture.PathOf("a"));
    }
    EXPECT_EQ(fixture.Log(), expected);
    std::vector<std::u16string> boxes;
    for (const auto& box : fixture.window().Boxes)
      boxes.push_back(box.Text);
    EXPECT_EQ(boxes, c.boxes);
    const MessageRequest& confirm = fixture.window().Boxes.front();
    EXPECT_EQ(confirm.Title, u"Wirklich löschen?");
    EXPECT_EQ(confirm.Buttons, MessageButtons::YesNo);
    EXPECT_EQ(confirm.Default, DefaultButton::Second);
    EXPECT_EQ(fixture.window().Boxes.back().Title,
              c.boxes.back() == ask ? confirm.Title : u"Fehler");
    const bool deleted = c.showHit && c.answers[0] == MessageAnswer::Yes;
    EXPECT_NE(std::filesystem::exists(fixture.PathOf("a")), deleted);
    EXPECT_EQ(fixture.HitsOf(1), "|1|");  // a deleted file stays a hit
  }
}

}  // namespace
