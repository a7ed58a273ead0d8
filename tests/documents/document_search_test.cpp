// The texts inside documents searched beside their raw bytes, through the whole content search.
#include <gtest/gtest.h>

#include "extract/samples.h"
#include "search/search_recorder.h"

namespace {

using samples::Docx;
using samples::Zip;
using Events = std::vector<std::string>;
constexpr SearchMode kBinary = SearchMode::Binary;
constexpr SearchMode kText = SearchMode::Text;

/// A search that reads documents, with one person of the given terms.
struct DocumentRecorder : SearchRecorder {
  explicit DocumentRecorder(const std::string& terms, ReadLimits reading = {})
      : SearchRecorder(reading) {
    settings.Documents = DocumentReading::On;
    AddPerson("P", terms);
  }
};

// Each kind's text is checked with the extraction; here a document's text reaches the search,
// in UTF-8, and only while documents are read. Texts never match across their boundaries: a
// sheet's strings, a zip's members and the raw bytes around them are apart.
TEST(DocumentSearchTest, TheTextsAreSearchedInUtf8) {
  const std::string schroeder = Docx({{"Herr Schr", "\xC3\xB6", "der"}});  // "ö" a run alone
  const std::string xlsx = Zip({{"[Content_Types].xml", "<Types/>"},
                                {"xl/sharedStrings.xml", "<sst><si><t>Ha</t></si></sst>"},
                                {"xl/worksheets/sheet1.xml", "<worksheet>ns</worksheet>"}});
  const struct {
    const char* kind;
    std::string bytes;
    std::string terms;
    SearchMode mode;
    bool found;
  } cases[] = {
      {"docx, case ignored", schroeder, "|SCHRÖDER|", kBinary, true},
      {"docx, case exact", schroeder, "|SCHRÖDER|", kText, false},
      {"zip holding a docx", Zip({{"a.docx", Docx({{"Lena Vogt"}})}}), "|Vogt|", kText, true},
      {"zip member searched raw", Zip({{"a.txt", samples::Cp1252("Weiß")}}), "|weiß|", kBinary,
       true},
      {"sheet strings apart", xlsx, "|Hans|", kBinary, false},
      {"zip members apart", Zip({{"1.txt", "Ha"}, {"2.txt", "ns"}}), "|Hans|", kBinary, false},
  };
  for (const auto& c : cases) {
    for (const DocumentReading reading : {DocumentReading::On, DocumentReading::Off}) {
      DocumentRecorder search(c.terms);
      search.settings.Documents = reading;
      search.settings.Mode = c.mode;
      search.AddFile("plain.txt", "nichts");
      search.AddFile("doc", c.bytes);
      search.Run();
      const bool found = c.found && reading == DocumentReading::On;
      EXPECT_EQ(search.Events, (found ? Events{"doc: P", "end"} : Events{"end"})) << c.kind;
    }
  }
}

TEST(DocumentSearchTest, RawAndTextHitsMakeOneHitPerPersonAndFileInOrder) {
  DocumentRecorder search("|Adler|Berger|");
  // Stored, so "Adler" stands in the raw bytes; "Berger" only in the text.
  search.AddFile("a.docx", Zip({{"[Content_Types].xml", "<Types/>"},
                                {"word/document.xml",
                                 "<w:document><w:p><w:r><w:t>Ad</w:t></w:r>"
                                 "<w:r><w:t>ler, Berger</w:t></w:r></w:p>"
                                 "</w:document>"},
                                {"Adler.txt", "x"}},
                               "zip:compression=store"));
  search.AddFile("b.txt", "Adler");
  search.AddPerson("Berger", "|Berger|");
  search.AddPerson("Keiner", "|Keiner|");
  search.AddPerson("Alle", "|");
  search.Run();
  EXPECT_EQ(search.Events, (Events{"a.docx: P", "a.docx: Berger", "a.docx: Alle", "b.txt: P",
                                   "b.txt: Alle", "end"}));
}

TEST(DocumentSearchTest, DamagedDocumentsAreListedAndStillSearchedRaw) {
  const struct {
    const char* kind;
    std::string bytes;
    std::string listed;  // "?" content not read at all, "~" a damaged part, then the reason
  } cases[] = {
      // The member's name stands unencrypted in the archive's directory.
      {"encrypted", Zip({{"Brief Huber.txt", "geheim"}}, "zip:encryption=zipcrypt"),
       "? verschlüsselt"},
      {"truncated",
       Zip({{"Huber.txt", "Huber"}, {"b.txt", std::string(5000, 'x')}}, "zip:compression=store")
           .substr(0, 2000),
       "~ beschädigt (ZIP)"},
  };
  for (const auto& c : cases) {
    DocumentRecorder search("|Huber|");
    search.AddFile("plain.txt", "Huber");
    search.AddFile("doc", c.bytes);
    search.Run();
    EXPECT_EQ(search.Events, (Events{"plain.txt: P", "doc" + c.listed, "doc: P", "end"})) << c.kind;
  }
}

TEST(DocumentSearchTest, AStopEndsALongExtraction) {
  // Several MB of text that compresses little (far from the extraction's ratio limit), the name
  // at its end; and several MB of markup that yields no text. Each read in one block, so the
  // checkpoints once the file started are the extraction's.
  std::string text;
  for (std::uint32_t seed = 1; text.size() < (std::size_t{6} << 20);) {
    seed = seed * 1103515245u + 12345u;
    text += static_cast<char>('a' + (seed >> 16) % 26);
  }
  const std::string silent =
      Zip({{"[Content_Types].xml", "<Types/>"},
           {"a.xml", "<p x=\"" + std::string(3 << 20, 'a') + "\">Huber</p>"}});
  for (const std::string& document : {Docx({{text + " Ende Huber"}}), silent}) {
    DocumentRecorder search("|Huber|", ReadLimits{.BlockBytes = std::size_t{16} << 20});
    search.AddFile("big.docx", document);
    search.AtCheckpoint = [&] { return search.Current.empty(); };
    EXPECT_FALSE(search.Run());
    EXPECT_EQ(search.Events, Events{"stop"});
  }
}

}  // namespace
