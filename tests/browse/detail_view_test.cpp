#include <gtest/gtest.h>

#include <filesystem>

#include "search/search_fixture.h"

namespace {

TEST(DetailViewTest, SelectorPicksHitsReadBackAsHexadecimalPastSixteenBits) {
  SearchFixture fixture;
  for (std::int32_t file = 1; file <= 0xFFFF; ++file)
    fixture.AddFile("f" + std::to_string(file), {}, 1);
  std::string hits = "|3|A|1A|";
  for (int hit = 4; hit < 32767; ++hit)
    hits += "1|";
  fixture.AddPerson("Nord", "|x|", U16(hits + "FFFF|"));
  fixture.AddPerson("Kasse", "|y|");
  MainForm& form = fixture.form();
  form.ShowPerson(1);
  EXPECT_EQ(form.PersonFrame.Caption, u"Nord");
  form.AddHit(1, 0xABCD);  // the count passes 32767 while Nord is shown
  const std::pair<std::int32_t, std::string> picks[] = {
      {1, "f3"}, {2, "f10"}, {3, "f26"}, {32767, "f65535"}, {32768, "f43981"}};
  for (const auto& [hit, file] : picks) {
    form.PersonFundstellenAuswahl.Value = hit;
    form.PersonFundstellenAuswahl_Scroll();
    EXPECT_EQ(fixture.View(), "32768 " + std::to_string(hit) + " " + fixture.PathOf(file) +
                                  " 32768 " + std::to_string(hit) + " on");
  }
  form.ShowPerson(2);  // no hits: cleared and disabled
  EXPECT_EQ(form.PersonFrame.Caption + u" " + U16(fixture.View()), u"Kasse 0   1 1 off");
}

TEST(DetailViewTest, ButtonsActOnThePathBox) {
  const std::u16string ask =
      u"Wirklich löschen?: Wollen Sie wirklich diese Datei endgültig löschen?";
  const std::u16string missing = u"Fehler: Datei nicht gefunden";
  const struct {
    bool showHit;
    std::vector<MessageAnswer> answers;  // one per click on Command2
    std::vector<std::string> log;
    std::vector<std::u16string> boxes;
  } cases[] = {
      {false, {MessageAnswer::Yes}, {"KILL: ", "ERROR: Datei nicht gefunden"}, {ask, missing}},
      {true, {MessageAnswer::No}, {}, {ask}},
      {true,
       {MessageAnswer::Yes, MessageAnswer::Yes},
       {"KILL: @a", "KILL: @a", "ERROR: Datei nicht gefunden"},
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
    EXPECT_EQ(fixture.Log(), c.log);
    std::vector<std::u16string> boxes;
    for (const auto& box : fixture.window().Boxes)
      boxes.push_back(box.Title + u": " + box.Text);
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(fixture.window().Boxes[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(fixture.window().Boxes[0].Default, DefaultButton::Second);
    EXPECT_NE(std::filesystem::exists(fixture.PathOf("a")),
              c.showHit && c.answers[0] == MessageAnswer::Yes);
    EXPECT_EQ(fixture.HitsOf(1), "|1|");  // a deleted file stays a hit
  }
}

}  // namespace
