#include "search/content_search.h"

#include <gtest/gtest.h>

#include "search/search_recorder.h"
#include "search/term_reference.h"

namespace {

using Events = std::vector<std::string>;

// Raw bytes compared as the mode says: BINARY takes a letter's other case in every byte form, TEXT
// does not; a NUL is a byte like any other, blanks count, "||" is an empty term that stands in
// every file that is not empty, and a list without a closed field has no terms. Only the
// encodings asked for are looked in; a term the code page cannot write has no form in it.
TEST(ContentSearchTest, TermsAreComparedAsTheModeAndEncodingsSay) {
  using enum SearchMode;
  using enum ByteForm;
  const auto in = [](auto text, ByteForm form) {
    return "<" + reference::Encode(text, form) + ">";
  };
  const platform::TextEncodings ansi{platform::TextEncoding::Ansi};
  const platform::TextEncodings utf8{platform::TextEncoding::Utf8};
  const struct {
    SearchMode mode;
    std::string content;
    std::string terms;
    bool found;
    platform::TextEncodings encodings = platform::DefaultEncodings(platform::TextConvention::Utf8);
  } cases[] = {
      // clang-format off
      {Text, {"No\0rd", 5}, "|Nord|", false}, {Text, {"\0\0Nord", 6}, "|Nord|", true},
      {Text, "Nord", "| Nord|", false}, {Binary, "x", "||", true}, {Text, {"\0", 1}, "||", true},
      {Binary, "", "||", false}, {Binary, "", "|Ha", true}, {Binary, "Hafen", "|Nord|Ha", false},
      {Binary, "", "|x|", false}, {Binary, Cp1252("Schön"), "|schön|", true, ansi},
      {Binary, "Sch\xC3\xB6n", "|schön|", false, ansi}, {Text, Cp1252("ÖL"), "|öl|", false},
      {Binary, in(u"ÖL", Utf8), "|öl|", true}, {Text, in(u"ÖL", Utf8), "|öl|", false},
      {Binary, in(u"ÖL", Ansi), "|öl|", false, utf8}, {Text, in(u"Öl", Utf16Be), "|Öl|", true},
      {Binary, in(u"łUKASZ", Utf16Le), "|Łukasz|", true},
      {Binary, "<?ukasz>", "|Łukasz|", false, ansi},  // no code page form, never "?"
      {Binary, in(u"šukasz", Utf16Le), "|Łukasz|", false},  // 41 01 is no 61 01
      {Binary, in(u"ς", Utf8), "|Σ|", false},  // final sigma has no pair
      {Binary, in(u"STRASSE", Utf8), "|straße|", false}, {Binary, in(u"ÿVES", Ansi), "|Ÿv|", true},
      {Binary, in(u"ΣΟΦΊΑ", Utf16Le), "|Σοφία|", true}, {Binary, in(u"ЖИКОВ", Utf8), "|Жик|", true},
      {Binary, in(u"ЖИКОВ", Utf16Be), "|Жиков|", true},
      {Binary, in(u"ЖИКИВ", Utf8), "|Жиков|", false},  // a matching start is not enough
      // A term typed with combining marks finds the composed letters, in every form.
      {Binary, in(u"MÜLLER", Utf8), "|Mu\u0308ller|", true},
      {Text, Cp1252("Müller"), "|Mu\u0308ller|", true, ansi},
      {Text, in(u"Йод", Utf16Le), "|И\u0306од|", true},
      {Text, in(u"Mu\u0308ller", Utf8), "|Mu\u0308ller|", true},  // still found as typed
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
  SearchRecorder search(ReadLimits{.BlockBytes = 4});
  search.AddFile("a", "Nord und Hafen");
  search.AddFile("b", "");
  search.AddFile("c", "hafen");
  search.AddFile("d", "gone", false);
  search.AddFile("e", {"\0\0NORD", 6});
  search.AddFile("f", "Nord und Hafen");
  search.system.FailReadAfter(u"/d/f", 8);
  search.AddPerson("Nord", "|Nord|Hafen|");
  search.AddPerson("Hafen", "|hafen|");
  search.AddPerson("Alle", "|");
  search.AddPerson("Leer", "||");
  EXPECT_TRUE(search.Run());
  EXPECT_EQ(search.Events,
            (Events{"a: Nord", "a: Hafen", "a: Alle", "a: Leer", "b: Alle", "c: Nord", "c: Hafen",
                    "c: Alle", "c: Leer", "d!", "e: Nord", "e: Alle", "e: Leer", "f!", "end"}));
  EXPECT_EQ(search.Searched, 1.0);
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
  for (int person = 0; person < 1000; ++person)
    search.AddPerson("P" + std::to_string(person), "|t" + std::to_string(person) + "|");
  search.Events.clear();
  search.AtCheckpoint = [] { return false; };
  EXPECT_FALSE(search.Run());
  EXPECT_EQ(search.Events, Events{"stop"});
}

}  // namespace
