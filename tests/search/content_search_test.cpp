#include <gtest/gtest.h>

#include "search/search_fixture.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ContentSearchTest, TermTestFollowsTheModeOverRawBytes) {
  const struct {
    std::int32_t mode;
    std::string content;  // UTF-8, stored as code page bytes
    std::string terms;
    bool found;
  } cases[] = {
      {1, "HERR MÜLLER", "|müller|", true},
      {2, "HERR MÜLLER", "|müller|", false},
      {3, "NORD", "|nord|", false},
      {1, "ÄÖÜ šœÿ", "|äöü ŠŒŸ|", true},
      {1, "Muller", "|Müller|", false},
      {1, "STRASSE", "|straße|", false},
      {2, {"No\0rd", 5}, "|Nord|", false},
      {2, {"\0\0Nord", 6}, "|Nord|", true},
      {2, "Nord", "| Nord|", false},
      {1, "x", "||", true},
      {1, "", "||", false},
      {1, "", "|Ha", true},  // no closed field: no terms
      {1, "Hafen", "|Nord|Ha", false},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.form().SearchMode = c.mode;
    fixture.AddFile("a", Cp1252(c.content));
    fixture.AddPerson("P", c.terms);
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.HitsOf(1), c.found ? "|1|" : "|") << c.content << " " << c.terms;
  }
}

TEST(ContentSearchTest, WholeRunRecordsAndLogsHitsInOrder) {
  const struct {
    std::int32_t mode;
    Lines hits;          // of Nord, Hafen, Alle, Leer
    std::string logged;  // the file of each log line; "!": d could not be read
  } cases[] = {{1, {"|1|3|5|", "|1|3|", "|1|2|3|5|", "|1|3|5|"}, "aaaabcccc!eee"},
               {2, {"|1|", "|3|", "|1|2|3|5|", "|1|3|5|"}, "aaabccc!ee"}};
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.form().SearchMode = c.mode;
    fixture.AddFile("a", "Nord und Hafen");  // two of Nord's terms: one hit
    fixture.AddFile("b", "");
    fixture.AddFile("c", "hafen");
    fixture.AddFile("d", {}, 4);  // deleted since the walk
    fixture.AddFile("e", {"\0\0NORD", 6});
    fixture.AddPerson("Nord", "|Nord|Hafen|");
    fixture.AddPerson("Hafen", "|hafen|");
    fixture.AddPerson("Alle", "|");
    fixture.AddPerson("Leer", "||");
    fixture.form().SearchFiles();
    for (std::int32_t person = 1; person <= 4; ++person)
      EXPECT_EQ(fixture.HitsOf(person), c.hits[person - 1]) << c.mode << " person " << person;
    Lines expected;
    for (const char file : c.logged)
      expected.push_back(file == '!' ? "ERROR: cannot read file: @d"
                                     : "found new file: @" + std::string(1, file));
    EXPECT_EQ(fixture.Log(), expected) << c.mode;
    EXPECT_EQ(fixture.window().StatusTexts,
              (std::vector<std::u16string>{u"Start", u"durchsuche Dateien...", u"a", u"b", u"c",
                                           u"d", u"e", u"fertig"}));
  }
}

TEST(ContentSearchTest, ProgressCountsUnreadableFilesAndNeverDividesByZero) {
  const std::int64_t sizes[][2] = {{100, 300}, {0, 0}};
  const std::vector<float> widths[] = {{6315.0F / 4, 6315.0F}, {6315.0F, 6315.0F}};
  for (int c = 0; c < 2; ++c) {
    SearchFixture fixture;  // no persons: every file is still read
    fixture.AddFile("a", {}, sizes[c][0]);
    fixture.AddFile("b", std::string(static_cast<std::size_t>(sizes[c][1]), 'x'));
    std::vector<float> seen;
    for (int point : {1, 2})
      fixture.window().At(point,
                          [&seen](MainForm& form) { seen.push_back(form.processBar.Width); });
    fixture.form().SearchFiles();
    EXPECT_EQ(seen, widths[c]);
    EXPECT_EQ(fixture.Log(), Lines{"ERROR: cannot read file: @a"});
  }
}

}  // namespace
