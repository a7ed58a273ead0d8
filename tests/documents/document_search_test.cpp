// The texts inside documents searched beside their raw bytes, through the whole search.
#include <gtest/gtest.h>

#include "extract/samples.h"
#include "testing/search_fixture.h"

namespace {

using samples::Docx;
using samples::Zip;
using Lines = std::vector<std::string>;

// Each kind's text is checked with the extraction; here a document's text reaches the search.
TEST(DocumentSearchTest, TheTextsAreSearchedInUtf8) {
  const struct {
    const char* kind;
    std::string bytes;
    std::string terms;  // of the one person
    std::int32_t mode;  // 1 ignores case, 2 compares exactly
    bool found;
  } cases[] = {
      {"docx, case ignored", Docx({{"Herr Schr", "\xC3\xB6", "der"}}), "|SCHRÖDER|", 1, true},
      {"docx, case exact", Docx({{"Herr Schr", "\xC3\xB6", "der"}}), "|SCHRÖDER|", 2, false},
      {"zip holding a docx", Zip({{"a.docx", Docx({{"Lena Vogt"}})}}), "|Vogt|", 2, true},
      {"zip member searched raw in the code page", Zip({{"a.txt", samples::Cp1252("Weiß")}}),
       "|weiß|", 1, true},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.form().SearchMode = c.mode;
    fixture.AddFile("plain.txt", "nichts");
    fixture.AddFile("doc", c.bytes);
    fixture.AddPerson("P", c.terms);
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.HitsOf(1), c.found ? "|2|" : "|") << c.kind;
    EXPECT_EQ(fixture.Log(), c.found ? Lines{"found new file: @doc"} : Lines{}) << c.kind;
    EXPECT_TRUE(fixture.form().NotExtractedFiles.empty()) << c.kind;

    // Turned off, only the raw bytes count.
    SearchFixture off;
    off.form().Documents = DocumentReading::Off;
    off.form().SearchMode = c.mode;
    off.AddFile("doc", c.bytes);
    off.AddPerson("P", c.terms);
    off.form().SearchFiles();
    EXPECT_EQ(off.HitsOf(1), "|") << c.kind;
  }
}

TEST(DocumentSearchTest, RawAndTextHitsMakeOneHitPerPersonAndFileInOrder) {
  SearchFixture fixture;
  // Stored, so "Adler" stands in the raw bytes; "Berger" only in the text.
  const std::string docx = Zip({{"[Content_Types].xml", "<Types/>"},
                                {"word/document.xml",
                                 "<w:document><w:p><w:r><w:t>Ad</w:t></w:r>"
                                 "<w:r><w:t>ler, Berger</w:t></w:r></w:p>"
                                 "</w:document>"},
                                {"Adler.txt", "x"}},
                               "zip:compression=store");
  fixture.AddFile("a.docx", docx);
  fixture.AddFile("b.txt", "Adler");
  fixture.AddPerson("Adler", "|Adler|Berger|");
  fixture.AddPerson("Berger", "|Berger|");
  fixture.AddPerson("Keiner", "|Keiner|");
  fixture.AddPerson("Alle", "|");
  fixture.form().SearchFiles();
  EXPECT_EQ(fixture.HitsOf(1), "|1|2|");
  EXPECT_EQ(fixture.HitsOf(2), "|1|");
  EXPECT_EQ(fixture.HitsOf(3), "|");
  EXPECT_EQ(fixture.HitsOf(4), "|1|2|");
  EXPECT_EQ(fixture.Log(),
            (Lines{"found new file: @a.docx", "found new file: @a.docx", "found new file: @a.docx",
                   "found new file: @b.txt", "found new file: @b.txt"}));
}

TEST(DocumentSearchTest, TextsDoNotMatchAcrossTheirBoundaries) {
  // The sheet's two strings, the zip's two members and the raw bytes around them are separate.
  const std::string xlsx = Zip({{"[Content_Types].xml", "<Types/>"},
                                {"xl/sharedStrings.xml", "<sst><si><t>Ha</t></si></sst>"},
                                {"xl/worksheets/sheet1.xml", "<worksheet>ns</worksheet>"}});
  const std::string zip = Zip({{"1.txt", "Ha"}, {"2.txt", "ns"}});
  for (const std::string& bytes : {xlsx, zip}) {
    SearchFixture fixture;
    fixture.AddFile("doc", bytes);
    fixture.AddPerson("P", "|Hans|");
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.HitsOf(1), "|");
  }
}

TEST(DocumentSearchTest, DamagedDocumentsAreListedAndStillSearchedRaw) {
  const std::string docx = Docx({{"Herr Huber"}});
  const struct {
    const char* kind;
    std::string bytes;
    std::string reason;
  } cases[] = {
      // The member's name stands unencrypted in the archive's directory.
      {"encrypted", Zip({{"Brief Huber.txt", "geheim"}}, "zip:encryption=zipcrypt"), "encrypted"},
      {"truncated",
       Zip({{"Huber.txt", "Huber"}, {"b.txt", std::string(5000, 'x')}}, "zip:compression=store")
           .substr(0, 2000),
       "damaged zip"},
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    fixture.AddFile("plain.txt", "Huber");
    fixture.AddFile("doc", c.bytes);
    fixture.AddPerson("P", "|Huber|");
    fixture.form().SearchFiles();
    EXPECT_EQ(fixture.HitsOf(1), "|1|2|") << c.kind;
    EXPECT_EQ(fixture.Log(), (Lines{"found new file: @plain.txt", "found new file: @doc"}))
        << c.kind;
    EXPECT_TRUE(fixture.form().UnreadableFiles.empty()) << c.kind;
    ASSERT_EQ(fixture.form().NotExtractedFiles.size(), 1u) << c.kind;
    EXPECT_EQ(fixture.form().NotExtractedFiles[0].File, 2) << c.kind;
    EXPECT_EQ(fixture.form().NotExtractedFiles[0].Reason, c.reason) << c.kind;
  }
}

TEST(DocumentSearchTest, ClosingTheWindowStopsALongExtraction) {
  // Several MB of text that compresses little (the extraction's ratio limit stays far), the name
  // only at its end.
  std::string text;
  for (std::uint32_t seed = 1; text.size() < (std::size_t{6} << 20);) {
    seed = seed * 1103515245u + 12345u;
    text += static_cast<char>('a' + (seed >> 16) % 26);
  }
  const std::string docx = Docx({{text + " Ende Huber"}});
  SearchFixture fixture;
  fixture.AddFile("big.docx", docx);
  fixture.AddPerson("P", "|Huber|");
  fixture.window().At(1, UserCloses());
  fixture.form().SearchFiles();
  EXPECT_TRUE(fixture.form().StopRequested);
  EXPECT_EQ(fixture.HitsOf(1), "|");
  EXPECT_TRUE(fixture.form().NotExtractedFiles.empty());
}

}  // namespace
