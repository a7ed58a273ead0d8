// What a reader sees in a document is what is searched: accents drawn apart, word gaps made by
// positioning alone, names that stand in attributes; and a document without text says why.
#include <gtest/gtest.h>

#include "extract/samples.h"

namespace {

using extract::Outcome;
using samples::Extract;
using samples::Zip;

struct TextCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> text;  // in the text; "!": not in it
};

void ExpectTexts(const std::vector<TextCase>& cases) {
  for (const TextCase& c : cases) {
    const samples::Extraction extraction = Extract(c.bytes);
    const std::string text = extraction.sink.AllText();
    for (const std::string& fragment : c.text) {
      const bool absent = fragment.starts_with('!');
      EXPECT_EQ(text.find(fragment.substr(absent)) == std::string::npos, absent)
          << c.name << ": " << fragment << " in " << text;
    }
  }
}

// Glyphs at 20 points (Helvetica widths: P, E, Z 13.34/13.34/12.22, r and the accents 6.66); the
// byte \264 is the acute, \001 the caron.
TEST(DocumentTextTest, PdfWordsReadAsTheyAreSeen) {
  const auto pdf = [](const std::string& content) { return samples::DrawnPdf({content}); };
  ExpectTexts({
      {"acute drawn first and raised over a capital, as TeX draws it",
       pdf("BT /F1 20 Tf 50 700 Td (P) Tj ET BT /F1 20 Tf 66.68 710 Td (\264) Tj ET "
           "BT /F1 20 Tf 63.34 700 Td (ETER) Tj ET"),
       {"P\xC3\x89TER", "!P ETER"}},
      {"caron drawn first on the letter's own place",
       pdf("BT /F1 20 Tf 50 700 Td (Tesa) Tj ET BT /F1 20 Tf 94.46 700 Td (\001) Tj ET "
           "BT /F1 20 Tf 94.46 700 Td (r) Tj ET"),
       {"Tesa\xC5\x99\n"}},
      {"caron drawn after its capital, raised and smaller",
       pdf("BT /F1 20 Tf 50 700 Td (Z) Tj ET BT /F1 14 Tf 53.78 710 Td (\001) Tj ET "
           "BT /F1 20 Tf 62.22 700 Td (lajpah) Tj ET"),
       {"\xC5\xBDlajpah", "!Z "}},
      {"words set apart by a narrow kerning gap alone, in a line of wide gaps",
       pdf("BT /F1 20 Tf 50 700 Td [(Die) -700 (Asetus) -150 (LetterSpace) -700 (ist)] TJ ET"),
       {"Die Asetus LetterSpace ist"}},
      {"accents over no letter stay as they are",
       pdf("BT /F1 20 Tf 50 700 Td (x ^ y \264) Tj ET"),
       {"x ^ y \xC2\xB4"}},
  });
}

TEST(DocumentTextTest, SheetAndSlideNamesAndPropertiesAreText) {
  const std::string odf =
      "<office:document-content xmlns:office=\"o\" xmlns:table=\"t\" "
      "xmlns:draw=\"d\" xmlns:text=\"x\"><office:body>";
  ExpectTexts({
      {"xlsx sheet names",
       Zip({{"[Content_Types].xml", "<Types/>"},
            {"xl/workbook.xml",
             "<workbook xmlns:r=\"r\"><sheets><sheet name=\"Gehalt Schulze\" "
             "sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"}}),
       {"Gehalt Schulze", "!rId1"}},
      {"ods table names",
       Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
            {"content.xml", odf + "<office:spreadsheet><table:table table:name=\"Liste Brandt\" "
                                  "table:style-name=\"ta1\"><table:table-row><table:table-cell/>"
                                  "</table:table-row></table:table></office:spreadsheet>"
                                  "</office:body></office:document-content>"}}),
       {"Liste Brandt", "!ta1"}},
      {"odp slide names and notes",
       Zip({{"mimetype", "application/vnd.oasis.opendocument.presentation"},
            {"content.xml",
             odf + "<office:presentation><draw:page draw:name=\"Folie Krause\"><draw:frame>"
                   "<draw:text-box><text:p>Titel</text:p></draw:text-box></draw:frame>"
                   "<presentation:notes><text:p>Notiz Vogt</text:p></presentation:notes>"
                   "</draw:page></office:presentation></office:body></office:document-content>"}}),
       {"Folie Krause", "Titel", "Notiz Vogt"}},
      {"pptx notes and custom properties",
       Zip({{"[Content_Types].xml", "<Types/>"},
            {"ppt/notesSlides/notesSlide1.xml",
             "<p:notes xmlns:p=\"p\" xmlns:a=\"a\"><a:p><a:r><a:t>Notiz Lenz</a:t></a:r></a:p>"
             "</p:notes>"},
            {"docProps/custom.xml",
             "<Properties><property name=\"Bearbeiter\"><vt:lpwstr>"
             "Hans Roth</vt:lpwstr></property></Properties>"}}),
       {"Notiz Lenz", "Hans Roth"}},
      {"pdf document information",
       samples::DrawnPdf({"BT /F1 12 Tf 72 700 Td (Text) Tj ET"}, {}, "/Author (Greta Lind)"),
       {"Greta Lind", "Text"}},
  });
}

// A zip whose only member is packed by a method the reader lacks (IBM TERSE, 18).
std::string UnsupportedZip() {
  std::string zip = Zip({{"a.txt", "Inhalt"}}, "zip:compression=store");
  zip[8] = 18;
  const std::size_t central = zip.find("PK\x01\x02");
  if (central != std::string::npos) zip[central + 10] = 18;
  return zip;
}

TEST(DocumentTextTest, ReasonsNameTheCause) {
  const std::string pdfWithoutText = samples::DrawnPdf({"0 0 m 10 10 l S"});
  const struct {
    const char* name;
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"compression method unknown", UnsupportedZip(), "nicht unterstützte Kompression"},
      {"OpenDocument without content.xml",
       Zip({{"mimetype", "application/vnd.oasis.opendocument.text-template"},
            {"styles.xml",
             "<office:document-styles><text:p>Kopf</text:p>"
             "</office:document-styles>"}}),
       "kein Inhalt"},
      {"Word document with an empty body", samples::Docx({}), "kein Inhalt"},
      // Without recognition a page that draws but holds no text may be a scan: not read.
      {"PDF that only draws lines", pdfWithoutText, "Texterkennung aus"},
      {"zip encrypted", Zip({{"a.txt", "geheim"}}, "zip:encryption=zipcrypt"), "verschlüsselt"},
      {"PDF damaged", "%PDF-1.4\nnothing else\n", "beschädigt (PDF)"},
      {"PDF damaged inside a zip", Zip({{"a.pdf", "%PDF-1.4\nnothing else\n"}}),
       "eingebettetes Dokument: beschädigt (PDF)"},
  };
  for (const auto& c : cases) {
    const samples::Extraction extraction = Extract(c.bytes);
    EXPECT_EQ(extraction.result.Kind, Outcome::NotExtracted) << c.name;
    EXPECT_EQ(extract::ReasonText(extraction.result.Reason), c.reason) << c.name;
  }
  // Reasons with figures keep them; one not known stays as it is.
  const std::pair<std::string, std::string> words[] = {
      {"extraction limit: 2 MB of text", "Grenze erreicht: 2 MB Text"},
      {"extraction limit: 5000 bytes of text", "Grenze erreicht: 5000 Bytes Text"},
      {"extraction limit: ratio 0.5:1", "Grenze erreicht: Verhältnis 0.5:1"},
      {"nesting deeper than 3", "tiefer verschachtelt als 3"},
      {"something new", "something new"},
  };
  for (const auto& [english, german] : words)
    EXPECT_EQ(extract::ReasonText(english), german);
}

}  // namespace
