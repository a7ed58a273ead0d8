// Bounds on the work for one document: a stop, the time limit and the token limit end the
// extraction while the document is read, also when it yields no text, and name their reason.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "extract/samples.h"

namespace {

using extract::Outcome;
using samples::Extract;
using samples::Zip;

const std::string kSharpS = "\xC3\x9F";

// UTF-16 LE with its byte order mark, of Latin-1 text.
std::string Utf16(std::string_view latin1) {
  std::string out = "\xFF\xFE";
  for (const char c : latin1) {
    out += c;
    out += '\0';
  }
  return out;
}

std::string Docx(const std::string& body) {
  return Zip({{"[Content_Types].xml", "<Types/>"},
              {"word/document.xml",
               "<w:document xmlns:w=\"w\"><w:body>" + body + "</w:body></w:document>"},
              {"docProps/core.xml", "<p><creator>Anna Roth</creator></p>"}});
}

// Markup of several megabytes that holds no text at all: the shapes that ran for minutes.
struct Silent {
  const char* name;
  std::string bytes;
  std::uint64_t markupBytes;  // what the parser is fed
};

std::vector<Silent> SilentDocuments() {
  const std::string attribute(std::size_t{3} << 20, 'a');
  std::string paragraphs;
  for (int n = 0; n < 600'000; ++n)
    paragraphs += "<w:p/>";
  return {
      {"docx with one long attribute", Docx("<w:p w:x=\"" + attribute + "\"/>"), attribute.size()},
      {"docx of empty paragraphs", Docx(paragraphs), paragraphs.size()},
      {"XML with a long comment", "<?xml version=\"1.0\"?><a><!--" + attribute + "--></a>",
       attribute.size()},
      {"HTML with a long attribute",
       "<html><body><p title=\"" + attribute + "\"></p></body></html>", attribute.size()},
      {"RTF of a skipped group", "{\\rtf1{\\*\\generator " + attribute + "}}", attribute.size()},
  };
}

// Before, the stop request was asked only per 4 MB of text given, so these ran to their end.
TEST(ExtractLimitsTest, AStopIsAskedForPerInputReadAlsoWithoutText) {
  for (const Silent& document : SilentDocuments()) {
    SCOPED_TRACE(document.name);
    samples::Extraction all = Extract(document.bytes);
    EXPECT_GE(all.sink.asks, document.markupBytes / (std::uint64_t{64} << 10) - 1);

    samples::Extraction stopped;
    stopped.sink.stopAtAsk = 1;
    extract::MemorySource source(document.bytes);
    stopped.result = extract::ExtractText(source, stopped.sink);
    EXPECT_EQ(stopped.result.Reason, "stopped");
    EXPECT_EQ(stopped.sink.asks, 1u);
  }
}

TEST(ExtractLimitsTest, TheTimeLimitEndsADocumentWithItsReason) {
  for (const Silent& document : SilentDocuments()) {
    SCOPED_TRACE(document.name);
    const samples::Extraction extraction = Extract(document.bytes, {.MaxSeconds = 0});
    EXPECT_EQ(extraction.result.Kind, Outcome::NotExtracted);
    EXPECT_EQ(extraction.result.Reason, "Zeitlimit: 0 s");
  }
}

// A token longer than the limit is refused: the text before it is kept, the rest of its part is
// not read, and the other parts of a package are.
TEST(ExtractLimitsTest, ATokenPastTheLimitIsRefusedWithItsReason) {
  const std::string longer(100000, 'x');  // across the pieces the parser is fed
  const std::string before = "<p>Vorher Huber</p>";
  // The document, and a text that comes after the long token (empty: none is expected).
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"XML attribute",
       "<?xml version=\"1.0\"?><a>" + before + "<b c=\"" + longer + "\"/><p>Nachher</p></a>", ""},
      {"XML comment",
       "<?xml version=\"1.0\"?><a>" + before + "<!--" + longer + "--><p>Nachher</p></a>", ""},
      {"XML instruction",
       "<?xml version=\"1.0\"?><a>" + before + "<?pi " + longer + "?><p>Nachher</p></a>", ""},
      {"XML entity reference", "<?xml version=\"1.0\"?><a>" + before + "&" + longer + ";</a>", ""},
      {"HTML attribute", "<html><body>" + before + "<p title='" + longer + "'>Nachher</p>", ""},
      {"docx part", Docx(before + "<w:p w:x=\"" + longer + "\"/>"), "Anna Roth"},
  };
  for (const auto& [name, bytes, after] : cases) {
    SCOPED_TRACE(name);
    const samples::Extraction extraction = Extract(bytes, {.MaxToken = 50000});
    EXPECT_EQ(extraction.result.Reason, "Token zu gro" + kSharpS + ": mehr als 50000 bytes");
    EXPECT_NE(extraction.sink.AllText().find("Vorher Huber"), std::string::npos);
    EXPECT_EQ(extraction.sink.AllText().find("Nachher"), std::string::npos);
    EXPECT_NE(extraction.sink.AllText().find(after), std::string::npos);
  }
}

// Long text, and long character data sections holding quotes and brackets, are no tokens; and
// however the input is cut into pieces, the text is the same as when it comes whole.
TEST(ExtractLimitsTest, TextIsTheSameHoweverTheInputIsCut) {
  const std::string run(20000, 'y');
  // The document, and a piece of its text.
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"XML of every token kind",
       "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY n \"Nagel\">]><a x='>\"'><!-- -> - > -->"
       "<p>Frau &n; &amp; &#252;</p><![CDATA[ it's <b> ]] > ]]><?pi > ?><p>Ende</p></a>",
       "Frau Nagel & \xC3\xBC"},
      {"XML of long text",
       "<?xml version=\"1.0\"?><a><p>" + run + "</p><![CDATA[\"" + run + "]]></a>", run},
      {"XML in UTF-16",
       Zip({{"[Content_Types].xml", "<Types/>"},
            {"a.xml", Utf16("<a b=\">\">H\xFC"
                            "ber</a>")}},
           "zip:compression=store"),
       "H\xC3\xBC"
       "ber"},
      {"HTML", "<html><body><p class=\"a>b\">Herr <b>Ott</b> &amp; Co</p><!-- <p>nie</p> -->",
       "Herr Ott & Co"},
  };
  for (const auto& [name, bytes, text] : cases) {
    SCOPED_TRACE(name);
    const samples::Extraction whole = Extract(bytes, {.MaxToken = 4096});
    EXPECT_EQ(whole.result.Kind, Outcome::Extracted) << whole.result.Reason;
    EXPECT_NE(whole.sink.AllText().find(text), std::string::npos) << whole.sink.AllText();
    for (const std::size_t piece : {1, 2, 3, 7, 4096}) {
      samples::ChoppySource source(bytes, piece);
      samples::CollectingSink sink;
      extract::ExtractText(source, sink, {.MaxToken = 4096});
      EXPECT_EQ(sink.AllText(), whole.sink.AllText()) << piece;
    }
  }
}

// A PDF is read page by page: a stop or a time limit ends it after the page being read.
TEST(ExtractLimitsTest, APdfEndsAfterThePageWhereAStopOrLimitCame) {
  const std::string pdf = samples::Pdf({"Erste Weber", "Zweite Weber"});
  // The limits, at which ask the sink stops, the reason, and whether the first page was read.
  const std::tuple<const char*, extract::Limits, std::uint64_t, std::string, bool> cases[] = {
      {"stop", {}, 2, "stopped", true},  // the first ask comes after loading
      {"time per document", {.MaxSeconds = 0}, UINT64_MAX, "Zeitlimit: 0 s", false},
      {"time per page", {.MaxPageSeconds = 0}, UINT64_MAX, "Zeitlimit: 0 s je Seite", true},
  };
  for (const auto& [name, limits, stopAtAsk, reason, first] : cases) {
    SCOPED_TRACE(name);
    samples::CollectingSink sink;
    sink.stopAtAsk = stopAtAsk;
    extract::MemorySource source(pdf);
    EXPECT_EQ(extract::ExtractText(source, sink, limits).Reason, reason);
    EXPECT_EQ(sink.AllText().find("Erste") != std::string::npos, first);
    EXPECT_EQ(sink.AllText().find("Zweite"), std::string::npos);
  }
}

// The PDF library drops the characters of a page past 50,000 small ones, normal letters after
// them too, and says nothing: such a page is named.
TEST(ExtractLimitsTest, APdfPageTheLibraryCutIsNamed) {
  // Lines of half-point letters, written into the page's content after its line of text.
  const auto small = [](int lines) {
    std::string content = "Vorwort) Tj /F1 0.5 Tf";
    for (int line = 0; line < lines; ++line)
      content += " 0 -1 Td (" + std::string(500, 'k') + ") Tj";
    return content + " /F1 12 Tf 1 0 0 1 100 600 Tm (Zeppelin";
  };
  const std::tuple<int, std::string> cases[] = {{20, ""}, {102, "Seite unvollst\xC3\xA4ndig: 2"}};
  for (const auto& [lines, reason] : cases) {
    const samples::Extraction extraction = Extract(samples::Pdf({"Titel", small(lines)}));
    EXPECT_EQ(extraction.result.Reason, reason) << lines;
    EXPECT_NE(extraction.sink.AllText().find("Vorwort"), std::string::npos);
  }
}

}  // namespace
