// A stop and the limits end an extraction while a document is read, and name their reason.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "extract/samples.h"

namespace {

using samples::Extract;
using samples::Zip;

std::string Docx(const std::string& body) {
  return Zip({{"[Content_Types].xml", "<Types/>"},
              {"word/document.xml", "<w:document xmlns:w=\"w\">" + body + "</w:document>"},
              {"docProps/core.xml", "<p><creator>Anna Roth</creator></p>"}});
}

std::string Xml(const std::string& body) {
  return "<?xml version=\"1.0\"?><a>" + body + "</a>";
}

// Before, a stop was asked for only per 4 MB of text given: markup without text was read whole.
// Text read before a limit is kept.
TEST(ExtractLimitsTest, AStopOrTheTimeLimitEndsADocumentWithoutText) {
  const std::string attribute(std::size_t{3} << 20, 'a');
  const std::string before = "<p>Vorne Huber</p>";
  std::string paragraphs;
  for (int n = 0; n < 500'000; ++n)
    paragraphs += "<w:p/>";
  const std::string documents[] = {
      Docx(before + "<w:p w:x=\"" + attribute + "\"/>"), Docx(before + paragraphs),
      Xml(before + "<!--" + attribute + "-->"),
      "<html><body>" + before + "<p title=\"" + attribute + "\"></p></body></html>",
      "{\\rtf1 Vorne Huber\\par{\\*\\generator " + attribute + "}}"};
  for (const std::string& document : documents) {
    SCOPED_TRACE(document.substr(0, 40));
    EXPECT_GE(Extract(document).sink.asks, 40u);  // about one per 64 KB of the 3 MB
    samples::Extraction stopped;
    stopped.sink.stopAtAsk = 1;
    extract::MemorySource source(document);
    EXPECT_EQ(extract::ExtractText(source, stopped.sink).Reason, "stopped");
    EXPECT_EQ(stopped.sink.asks, 1u);
    const samples::Extraction timed = Extract(document, {.MaxSeconds = 0});
    EXPECT_EQ(timed.result.Reason, "Zeitlimit: 0 s");
    EXPECT_NE(timed.sink.AllText().find("Vorne Huber"), std::string::npos);
  }
}

// A token past the limit is refused: the text before it is kept, the rest of its part is not
// read, the other parts of a package are.
TEST(ExtractLimitsTest, ATokenPastTheLimitIsRefusedWithItsReason) {
  // Across the pieces the parser is fed, and more than the package may unpack.
  const std::string longer(std::size_t{5} << 20, 'x');
  const std::string before = "<p>Vorher Huber</p>";
  const std::string documents[] = {
      Xml(before + "<b c=\"" + longer + "\"/><p>Nachher</p>"),
      Xml(before + "<!--" + longer + "--><p>Nachher</p>"),
      Xml(before + "<?pi " + longer + "?><p>Nachher</p>"),
      Xml(before + "&" + longer + ";"),
      "<html><body>" + before + "<p title='" + longer + "'>Nachher</p>",
      Docx(before + "<w:p w:x=\"" + longer + "\"/>")};
  for (const std::string& document : documents) {
    const samples::Extraction extraction = Extract(document, {.MaxToken = 50000});
    EXPECT_EQ(extraction.result.Reason, "Token zu gro\xC3\x9F: mehr als 50000 bytes");
    const std::string text = extraction.sink.AllText();
    EXPECT_NE(text.find("Vorher Huber"), std::string::npos) << document.substr(0, 40);
    EXPECT_EQ(text.find("Nachher"), std::string::npos);
    EXPECT_EQ(text.find("Anna Roth") != std::string::npos, document.starts_with("PK"));
  }
}

// Long text and character data (with quotes) are no tokens; and the text is the same however
// the input is cut.
TEST(ExtractLimitsTest, TextIsTheSameHoweverTheInputIsCut) {
  const std::string run(20000, 'y');
  std::string utf16 = "\xFF\xFE";  // UTF-16 LE, in a package part
  for (const char c : std::string("<a b=\">\">H\xFC"
                                  "ber</a>"))
    utf16 += std::string{c, '\0'};
  const std::tuple<std::string, std::string> cases[] = {
      {"<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY n \"Nagel\">]><a x='>\"'><!-- -> - > -->"
       "<p>Frau &n; &amp; &#252;</p><![CDATA[ it's <b> ]] > ]]><?pi > ?><p>Ende</p></a>",
       "Frau Nagel & \xC3\xBC"},
      {Xml("<p>" + run + "</p><![CDATA[\"" + run + "]]>"), run},
      {Zip({{"[Content_Types].xml", "<Types/>"}, {"a.xml", utf16}}, "zip:compression=store"),
       "H\xC3\xBC"
       "ber"},
      {"<html><body><p class=\"a>b\">Herr <b>Ott</b> &amp; Co</p><!-- <p>nie</p> -->",
       "Herr Ott & Co"},
  };
  for (const auto& [bytes, text] : cases) {
    const samples::Extraction whole = Extract(bytes, {.MaxToken = 4096});
    EXPECT_EQ(whole.result.Kind, extract::Outcome::Extracted) << whole.result.Reason;
    EXPECT_NE(whole.sink.AllText().find(text), std::string::npos) << whole.sink.AllText();
    for (const std::size_t piece : {1, 2, 3, 7, 4096}) {
      samples::ChoppySource source(bytes, piece);
      samples::CollectingSink sink;
      extract::ExtractText(source, sink, {.MaxToken = 4096});
      EXPECT_EQ(sink.AllText(), whole.sink.AllText()) << piece;
    }
  }
}

// A stop or a time limit ends a PDF after the page being read. The library drops a page's
// characters past 50,000 small ones, normal letters too, silently: such a page is named.
TEST(ExtractLimitsTest, APdfEndsBetweenPagesAndAPageCutShortIsNamed) {
  const auto small = [](int lines) {  // half-point letters after the page's line of text
    std::string content = "Erste) Tj /F1 0.5 Tf";
    for (int line = 0; line < lines; ++line)
      content += " 0 -1 Td (" + std::string(500, 'k') + ") Tj";
    return content + " /F1 12 Tf 1 0 0 1 100 600 Tm (Zeppelin";
  };
  // The pages, the limits, at which ask the sink stops, the reason, whether "Erste" was read.
  const std::tuple<std::string, extract::Limits, std::uint64_t, std::string, bool> cases[] = {
      {small(20), {}, 2, "stopped", true},  // the first ask comes after loading
      {small(20), {.MaxSeconds = 0}, UINT64_MAX, "Zeitlimit: 0 s", false},
      {small(20), {.MaxPageSeconds = 0}, UINT64_MAX, "Zeitlimit: 0 s je Seite", true},
      {small(20), {}, UINT64_MAX, "", true},
      {small(102), {}, UINT64_MAX, "Seite unvollst\xC3\xA4ndig: 1", true},
  };
  for (const auto& [page, limits, stopAtAsk, reason, first] : cases) {
    samples::CollectingSink sink;
    sink.stopAtAsk = stopAtAsk;
    const std::string pdf = samples::Pdf({page, "Zweite"});
    extract::MemorySource source(pdf);
    EXPECT_EQ(extract::ExtractText(source, sink, limits).Reason, reason);
    EXPECT_EQ(sink.AllText().find("Erste") != std::string::npos, first) << reason;
    EXPECT_EQ(sink.AllText().find("Zweite") != std::string::npos,
              reason.empty() || reason.starts_with("Seite"));
  }
}

}  // namespace
