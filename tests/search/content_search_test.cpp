#include <gtest/gtest.h>

#include <filesystem>

#include "search/search_fixture.h"
#include "support/text_code.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ContentSearchTest, TermTestFollowsTheModeOverRawBytes) {
  struct Case {
    const char* name;
    std::int32_t mode;
    std::string content;  // UTF-8, stored as code page bytes
    std::string terms;
    bool found;
  };
  const Case cases[] = {
      {"binary ignores case", 1, "HERR MÜLLER", "|müller|", true},
      {"text is exact", 2, "HERR MÜLLER", "|müller|", false},
      {"text finds equal", 2, "Herr Müller", "|Müller|", true},
      {"other modes are exact", 3, "NORD", "|nord|", false},
      {"umlauts fold", 1, "ÄÖÜ", "|äöü|", true},
      {"Š Œ Ÿ fold", 1, "šœÿ", "|ŠŒŸ|", true},
      {"accents stay distinct", 1, "Muller", "|Müller|", false},
      {"ß has no capital", 1, "STRASSE", "|straße|", false},
      {"after NUL bytes", 1, std::string("\0\0x\0Nord", 8), "|nord|", true},
      {"NUL does not match", 2, std::string("No\0rd", 5), "|Nord|", false},
      {"blanks belong to the term", 2, "Nord", "| Nord|", false},
      {"blank found", 2, "x Nord", "| Nord|", true},
      {"empty term, content", 2, "x", "||", true},
      {"empty term, empty file", 2, "", "||", false},
      {"term, empty file", 1, "", "|a|", false},
      {"no terms, empty file", 1, "", "|", true},
      {"unclosed piece only: no terms", 1, "", "|Ha", true},
      {"unclosed piece is no term", 1, "Hafen", "|Nord|Ha", false},
      {"second term", 1, "am Hafen", "|Nord|hafen|", true},
      {"longer than content", 1, "Nor", "|Nord|", false},
      {"overlapping prefix", 2, "aaab", "|aab|", true},
      {"repeated pattern", 2, "abaabab", "|abab|", true},
      {"at the start", 2, "Nordwind", "|Nord|", true},
      {"at the end", 1, "WINDNORD", "|nord|", true},
      {"cut at the end", 2, "xxNor", "|Nord|", false},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.form().SearchMode = c.mode;
    fixture.AddFile("a.txt", Cp1252(c.content));
    fixture.AddPerson("P", c.terms);
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.HitsOf(1), c.found ? "|1|" : "|") << c.name;
    EXPECT_EQ(fixture.Log(),
              c.found ? Lines{"found new file: " + fixture.PathOf("a.txt")} : Lines{})
        << c.name;
  }
}

TEST(ContentSearchTest, WholeRunRecordsAndLogsHitsInOrder) {
  struct Case {
    std::int32_t mode;
    std::vector<std::string> hits;    // per person
    std::vector<std::string> logged;  // file names, in log order ("!" marks a read failure)
  };
  const Case cases[] = {
      {1,
       {"|1|3|5|", "|1|3|", "|1|2|3|5|", "|1|3|5|"},
       {"a", "a", "a", "a", "b", "c", "c", "c", "c", "!d", "e", "e", "e"}},
      {2,
       {"|1|", "|3|", "|1|2|3|5|", "|1|3|5|"},
       {"a", "a", "a", "b", "c", "c", "c", "!d", "e", "e"}},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.form().SearchMode = c.mode;
    fixture.AddFile("a", "Nord und Hafen");  // two terms of Nord: one hit
    fixture.AddFile("b", "");
    fixture.AddFile("c", "hafen");
    fixture.AddFile("d", "Nord");
    std::filesystem::remove(fixture.PathOf("d"));  // gone since the walk
    fixture.AddFile("e", std::string("\0\0NORD", 6));
    fixture.AddPerson("Nord", "|Nord|Hafen|");
    fixture.AddPerson("Hafen", "|hafen|");
    fixture.AddPerson("Alle", "|");
    fixture.AddPerson("Leer", "||");

    fixture.form().SearchFiles();

    for (std::int32_t person = 1; person <= 4; ++person) {
      EXPECT_EQ(fixture.HitsOf(person), c.hits[person - 1]) << c.mode << " person " << person;
    }
    Lines expected;
    for (const auto& name : c.logged) {
      expected.push_back(name[0] == '!'
                             ? "ERROR: cannot read file: " + fixture.PathOf(name.substr(1))
                             : "found new file: " + fixture.PathOf(name));
    }
    EXPECT_EQ(fixture.Log(), expected) << c.mode;
    EXPECT_EQ(fixture.form().UnreadableFiles, std::vector<std::int32_t>{4});
    EXPECT_EQ(fixture.window().StatusTexts,
              (std::vector<std::u16string>{u"Start", u"durchsuche Dateien...", u"a", u"b", u"c",
                                           u"d", u"e", u"fertig"}));
    EXPECT_EQ(fixture.form().processBar.Width, 6315.0F);
  }
}

TEST(ContentSearchTest, HitFieldsAreUpperCaseHexadecimal) {
  SearchFixture fixture;
  fixture.AddFile("a", "x");
  for (int file = 2; file <= 256; ++file)
    fixture.AddEntry("a", 1);
  fixture.AddPerson("P", "|X|");
  fixture.form().SearchFiles();
  const std::u16string& hits = fixture.form().Persons[1].Hits;
  EXPECT_EQ(FieldCount(hits, u"|"), 256);
  EXPECT_EQ(GetField(hits, 10, u"|"), u"A");
  EXPECT_EQ(GetField(hits, 31, u"|"), u"1F");
  EXPECT_EQ(GetField(hits, 256, u"|"), u"100");
}

TEST(ContentSearchTest, ProgressCountsUnreadableFilesAndNeverDividesByZero) {
  struct Case {
    std::vector<std::int64_t> sizes;
    bool firstDeleted;
    std::vector<float> widths;  // after each file
  };
  const Case cases[] = {
      {{100, 300}, true, {6315.0F * 0.25F, 6315.0F}},
      {{0, 0, 0}, false, {6315.0F, 6315.0F, 6315.0F}},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;  // no persons: every file is still read
    std::vector<float> widths;
    for (std::size_t index = 0; index < c.sizes.size(); ++index) {
      const std::string name = "f" + std::to_string(index + 1);
      fixture.AddFile(name, std::string(static_cast<std::size_t>(c.sizes[index]), 'x'));
      fixture.window().At(static_cast<int>(index) + 1,
                          [&widths](MainForm& form) { widths.push_back(form.processBar.Width); });
    }
    if (c.firstDeleted) std::filesystem::remove(fixture.PathOf("f1"));
    fixture.form().SearchFiles();
    EXPECT_EQ(widths, c.widths);
    EXPECT_EQ(fixture.Log(),
              c.firstDeleted ? Lines{"ERROR: cannot read file: " + fixture.PathOf("f1")} : Lines{});
    EXPECT_EQ(fixture.form().Status.Caption, u"fertig");
  }
}

TEST(ContentSearchTest, NoFilesShowsSearchAndDoneWithoutProgress) {
  SearchFixture fixture;
  fixture.AddPerson("P", "|");
  const std::size_t before = fixture.window().Changes.size();
  fixture.form().SearchFiles();
  const std::vector<ControlId> changes(fixture.window().Changes.begin() + before,
                                       fixture.window().Changes.end());
  EXPECT_EQ(changes, (std::vector<ControlId>{ControlId::Status, ControlId::Status}));
  EXPECT_EQ(fixture.form().Status.Caption, u"fertig");
}

}  // namespace
