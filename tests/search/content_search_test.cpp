#include "search/content_search.h"

#include <gtest/gtest.h>

#include "search/search_recorder.h"

namespace {

using Events = std::vector<std::string>;
constexpr SearchMode kBinary = SearchMode::Binary;
constexpr SearchMode kText = SearchMode::Text;

// Raw bytes compared as the mode says: BINARY ignores case, TEXT does not; a NUL is a byte like
// any other, blanks count, "||" is an empty term that stands in every file that is not empty, and
// a list without a closed field has no terms. Only the encodings asked for are looked in.
TEST(ContentSearchTest, TermsAreComparedAsTheModeAndEncodingsSay) {
  const std::string utf16("S\0c\0h\0\xF6\0n\0", 10);
  const struct {
    SearchMode mode;
    std::string content;
    std::string terms;
    bool found;
    platform::TextEncodings encodings = platform::DefaultEncodings(platform::TextConvention::Utf8);
  } cases[] = {
      // clang-format off
      {kBinary, Cp1252("HERR MÜLLER"), "|müller|", true},
      {kText, Cp1252("HERR MÜLLER"), "|müller|", false},
      {kText, {"No\0rd", 5}, "|Nord|", false}, {kText, {"\0\0Nord", 6}, "|Nord|", true},
      {kText, "Nord", "| Nord|", false}, {kBinary, "x", "||", true}, {kText, {"\0", 1}, "||", true},
      {kBinary, "", "||", false}, {kBinary, "", "|Ha", true}, {kBinary, "Hafen", "|Nord|Ha", false},
      {kBinary, "Sch\xC3\xB6n", "|schön|", true}, {kBinary, utf16, "|schön|", true},
      {kBinary, Cp1252("Schön"), "|schön|", true, {platform::TextEncoding::Ansi}},
      {kBinary, "Sch\xC3\xB6n", "|schön|", false, {platform::TextEncoding::Ansi}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SearchRecorder search;
    search.settings.Mode = c.mode;
    search.settings.Encodings = c.encodings;
    search.AddFile("a", c.content);
    search.AddPerson("P", c.terms);
    search.Run();
    EXPECT_EQ(search.Events, (c.found ? Events{"a: P", "end"} : Events{"end"}))
        << testing::PrintToString(c.content) << " " << c.terms;
  }
}

// Files in catalog order, each file's hits in person order, one per person however many of
// their terms stand; a term across a block boundary is found. A file gone since the walk, or
// whose reading fails after some blocks, gives no hit, not even to a person without terms, and
// is reported; its bytes count as searched all the same.
TEST(ContentSearchTest, HitsComeInCatalogAndPersonOrder) {
  const struct {
    SearchMode mode;
    Events events;
  } cases[] = {
      {kBinary,
       {"a: Nord", "a: Hafen", "a: Alle", "a: Leer", "b: Alle", "c: Nord", "c: Hafen", "c: Alle",
        "c: Leer", "d!", "e: Nord", "e: Alle", "e: Leer", "f!", "end"}},
      {kText,
       {"a: Nord", "a: Alle", "a: Leer", "b: Alle", "c: Hafen", "c: Alle", "c: Leer", "d!",
        "e: Alle", "e: Leer", "f!", "end"}},
  };
  for (const auto& c : cases) {
    SearchRecorder search(ReadLimits{.BlockBytes = 4});
    search.settings.Mode = c.mode;
    search.AddFile("a", "Nord und Hafen");
    search.AddFile("b", "");
    search.AddFile("c", "hafen");
    search.AddFile("d", "gone", false);
    search.AddFile("e", {"\0\0NORD", 6});
    search.AddFile("f", "Nord und Hafen");
    search.system.FailReadAfter(SearchRecorder::PathOf("f"), 8);
    search.AddPerson("Nord", "|Nord|Hafen|");
    search.AddPerson("Hafen", "|hafen|");
    search.AddPerson("Alle", "|");
    search.AddPerson("Leer", "||");
    EXPECT_TRUE(search.Run());
    EXPECT_EQ(search.Events, c.events);
    EXPECT_EQ(search.Searched, 1.0);
  }
}

// A checkpoint that says stop ends the search: a file left between its blocks gives no hit, and
// nothing is told after. A stop while the terms of many persons are prepared searches no file.
TEST(ContentSearchTest, ACheckpointThatSaysStopEndsTheSearchThere) {
  SearchRecorder search(ReadLimits{.BlockBytes = 4});
  for (const char* name : {"a", "b", "c"})
    search.AddFile(name, "xx Nord xx");
  search.AddPerson("Nord", "|Nord|");
  search.AtCheckpoint = [&] { return search.Current != "b"; };
  EXPECT_FALSE(search.Run());
  EXPECT_EQ(search.Events, (Events{"a: Nord", "stop"}));

  SearchRecorder many;
  many.AddFile("a", "t0");
  for (int person = 0; person < 1000; ++person)
    many.AddPerson("P" + std::to_string(person), "|t" + std::to_string(person) + "|");
  many.AtCheckpoint = [] { return false; };
  EXPECT_FALSE(many.Run());
  EXPECT_EQ(many.Events, Events{"stop"});
}

}  // namespace
