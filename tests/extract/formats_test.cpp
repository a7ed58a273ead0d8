#include <gtest/gtest.h>

#include "extract/samples.h"

namespace {

using extract::Outcome;
using samples::Extract;
using samples::MailWithAttachment;
using samples::Zip;

const std::string kXlsx = Zip({
    {"[Content_Types].xml", "<Types/>"},
    {"xl/sharedStrings.xml",
     "<sst xmlns=\"x\"><si><t>M&#252;ller</t></si><si><r><t>Ma</t></r><r><t>ier</t></r></si>"
     "</sst>"},
    {"xl/worksheets/sheet1.xml",
     "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>Kurz"
     "</t></is></c><c><v>42</v></c></row></sheetData></worksheet>"},
});

// Pretty-printed: the indentation between runs must not split the name.
const std::string kPptx = Zip({
    {"[Content_Types].xml", "<Types/>"},
    {"ppt/slides/slide1.xml",
     "<p:sld xmlns:p=\"p\" xmlns:a=\"a\">\n  <a:p>\n    <a:r>\n      <a:t>Kra</a:t>\n    </a:r>\n"
     "    <a:r>\n      <a:t>mer</a:t>\n    </a:r>\n  </a:p>\n</p:sld>"},
    {"docProps/core.xml",
     "<cp:coreProperties xmlns:cp=\"c\" xmlns:dc=\"d\"><dc:creator>Eva "
     "Lang</dc:creator><dc:title>Bericht</dc:title></cp:coreProperties>"},
    {"word/comments.xml",
     "<w:comments xmlns:w=\"w\"><w:comment w:author=\"Otto Blum\"><w:p>"
     "<w:r><w:t>ok</w:t></w:r></w:p></w:comment></w:comments>"},
});

const std::string kOdt = Zip({
    {"mimetype", "application/vnd.oasis.opendocument.text"},
    {"content.xml",
     "<office:document-content xmlns:office=\"o\" xmlns:text=\"t\"><office:body><text:p>Frau"
     "<text:s/><text:span>B\xC3\xA4</text:span>cker</text:p><text:p>Ende</text:p></office:body>"
     "</office:document-content>"},
    {"meta.xml",
     "<office:document-meta xmlns:meta=\"m\"><meta:initial-creator>Ute Sommer"
     "</meta:initial-creator></office:document-meta>"},
    {"settings.xml", "<settings>Nicht gesucht</settings>"},
    {"Pictures/1.txt", "Bildtext Hansen"},
});

const std::string kRtf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fcharset238 Times;}}"
    "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator Geheim;}{\\info{\\author Karl Rot}}\n"
    "\\f0 Herr M\\'fcller,\\par \\uc1\\u381?ofie Kr\\u-10179?\\u-8701?l \\f1 Ma\\'b3gorzata\\f0 "
    "Schr\\-\\'f6der\\par}";

const std::string kMail =
    "Return-Path: <j@example.org>\r\n"
    "From: =?ISO-8859-1?Q?J=FCrgen_Wei=DF?= <j@example.org>\r\n"
    "To: a@example.org\r\n"
    "Subject: =?UTF-8?B?R3LDvMOfZQ==?= =?UTF-8?Q?_von_B=C3=A4r?=\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"outer\"\r\n"
    "\r\n"
    "Preamble Niemand\r\n"
    "--outer\r\n"
    "Content-Type: multipart/alternative; boundary=inner\r\n"
    "\r\n"
    "--inner\r\n"
    "Content-Type: text/plain; charset=utf-8\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "Liebe Frau M=C3=BC=\r\n"
    "ller,\r\n"
    "--inner\r\n"
    "Content-Type: text/html; charset=iso-8859-1\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "PHA+SGVyciBL9mhsZXI8L3A+\r\n"  // <p>Herr Köhler</p> in Latin-1
    "--inner--\r\n"
    "--outer\r\n"
    "Content-Type: application/octet-stream\r\n"
    "Content-Disposition: attachment; filename*=utf-8''Brief%20an%20J%C3%A4ger.bin\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "QW5oYW5nIEZyaWVkcmljaA==\r\n"  // "Anhang Friedrich"
    "--outer\r\n"
    "Content-Type: text/rtf\r\n"
    "\r\n"
    "{\\rtf1\\ansi Frau G\\'e4rtner}\r\n"
    "--outer--\r\n"
    "Epilogue\r\n";

const std::string kMbox =
    "From a@example.org Mon Jan  1 00:00:00 2024\n"
    "From: a@example.org\nSubject: eins\n\nErste Nachricht\n\n"
    "From b@example.org Mon Jan  1 00:00:00 2024\n"
    "From: b@example.org\nSubject: zwei\nContent-Transfer-Encoding: quoted-printable\n\n"
    "Gru=C3=9F, Lehmann\n";

struct FormatCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> found;     // in the text
  std::vector<std::string> notFound;  // in the text
  std::vector<std::string> rawFound;  // in the raw streams
};

std::vector<FormatCase> FormatCases() {
  // clang-format off
  return {
      {"docx: runs of a paragraph joined, paragraphs apart",
       samples::Docx({{"Schr", "\xC3\xB6", "der"}, {"Anna ", "Wei&#223;"}}),
       {"Schr\xC3\xB6" "der\nAnna Wei\xC3\x9F"}, {"derAnna"}, {}},
      {"xlsx: shared and inline strings", kXlsx, {"M\xC3\xBCller", "Maier", "Kurz"}, {}, {}},
      {"pptx: indentation between runs, properties, comment authors", kPptx,
       {"Kramer", "Eva Lang", "Otto Blum"}, {"Eva LangBericht"}, {}},
      {"odt: spans, spaces, meta; media searched raw", kOdt,
       {"Frau B\xC3\xA4" "cker\nEnde", "Ute Sommer"}, {"Nicht gesucht"}, {"Bildtext Hansen"}},
      {"html: references decoded, scripts dropped",
       "<!DOCTYPE html><html><head><title>Akte</title><style>p{}</style></head><body>"
       "<p>Herr M&uuml;ller und Wei&#223; &amp; <b>Sch</b>mitt</p><script>var x='Geheim';"
       "</script><div>Zeile</div></body></html>",
       {"Herr M\xC3\xBCller und Wei\xC3\x9F & Schmitt\nZeile", "Akte"}, {"Geheim", "p{}"}, {}},
      {"html: code page from the meta tag",
       "<html><head><meta charset=\"windows-1252\"></head><body>J\xFCrgen \x80</body></html>",
       {"J\xC3\xBCrgen \xE2\x82\xAC"}, {}, {}},
      {"xml: references and a single-byte encoding",
       "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<liste>\n  <name>Wei&#223;</name>\n  "
       "<name>J\xFCrgen \x80</name>\n  <person name=\"M&#xFC;ller\"/>\n</liste>\n",
       {"Wei\xC3\x9F\nJ\xC3\xBCrgen \xE2\x82\xAC\nM\xC3\xBCller"}, {}, {}},
      {"rtf: code pages per font, unicode, hidden groups", kRtf,
       {"Herr M\xC3\xBCller,", "\xC5\xBDofie Kr\xF0\x9F\x98\x83l", "Ma\xC5\x82gorzata",
        "Schr\xC3\xB6" "der", "Karl Rot"},
       {"Geheim", "Arial", "?ofie"}, {}},
      {"pdf: every page's text through a deflated stream",
       samples::Pdf({"Frau Schr\xC3\xB6" "der", "Herr M\xC3\xBCller"}),
       {"Frau Schr\xC3\xB6" "der", "Herr M\xC3\xBCller"}, {}, {}},
      {"eml: encoded words, quoted-printable, base64 in a charset, attachments raw", kMail,
       {"J\xC3\xBCrgen Wei\xC3\x9F", "Gr\xC3\xBC\xC3\x9F" "e von B\xC3\xA4r",
        "Liebe Frau M\xC3\xBCller,", "Herr K\xC3\xB6hler", "Brief an J\xC3\xA4ger.bin",
        "Frau G\xC3\xA4rtner"},
       {"Niemand", "Epilogue"}, {"Anhang Friedrich"}},
      {"eml: an attached document is read in turn",
       MailWithAttachment(samples::Docx({{"Bewerbung ", "Zimmermann"}})),
       {"Siehe Anhang", "Bewerbung Zimmermann"}, {}, {"word/document.xml"}},
      {"mbox: every message", kMbox,
       {"Erste Nachricht", "Gru\xC3\x9F, Lehmann", "Subject: zwei"}, {}, {}},
      {"zip: members raw and as documents",
       Zip({{"notes.txt", "Telefon Hansen"}, {"sub/letter.docx", samples::Docx({{"Schr", "oeder"}})}}),
       {"Schroeder"}, {}, {"Telefon Hansen"}},
  };
  // clang-format on
}

TEST(ExtractFormatsTest, EachFormatGivesItsText) {
  for (const FormatCase& c : FormatCases()) {
    SCOPED_TRACE(c.name);
    const samples::Extraction extraction = Extract(c.bytes);
    EXPECT_EQ(extraction.result.Kind, Outcome::Extracted) << extraction.result.Reason;
    const std::string text = extraction.sink.AllText();
    const std::string raw = extraction.sink.AllRaw();
    for (const std::string& expected : c.found) {
      EXPECT_NE(text.find(expected), std::string::npos) << expected << " not in:\n" << text;
    }
    for (const std::string& unexpected : c.notFound) {
      EXPECT_EQ(text.find(unexpected), std::string::npos) << unexpected << " in:\n" << text;
    }
    for (const std::string& expected : c.rawFound) {
      EXPECT_NE(raw.find(expected), std::string::npos) << expected << " not raw";
    }
  }
}

// Every read split into tiny pieces must give the same streams: sequences cut between reads
// (UTF-8, base64 groups, control words, lines, zip blocks) are carried over.
TEST(ExtractFormatsTest, TinyReadsGiveTheSameStreams) {
  for (const FormatCase& c : FormatCases()) {
    SCOPED_TRACE(c.name);
    const samples::Extraction whole = Extract(c.bytes);
    for (const std::size_t readSize : {std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
      samples::ChoppySource source(c.bytes, readSize);
      samples::CollectingSink sink;
      const extract::Result result = extract::ExtractText(source, sink);
      EXPECT_EQ(result.Kind, whole.result.Kind) << readSize;
      EXPECT_EQ(sink.AllText(), whole.sink.AllText()) << readSize;
      EXPECT_EQ(sink.AllRaw(), whole.sink.AllRaw()) << readSize;
    }
  }
}

TEST(ExtractFormatsTest, ZipMemberRawStreamIsExactlyTheMember) {
  const std::string member("bin\0\xFF\xFE X", 8);
  const samples::Extraction extraction = Extract(Zip({{"a.bin", member}, {"b.txt", "zwei"}}));
  ASSERT_EQ(extraction.sink.streams().size(), 2u);
  EXPECT_TRUE(extraction.sink.streams()[0].raw);
  EXPECT_EQ(extraction.sink.streams()[0].bytes, member);
  EXPECT_EQ(extraction.sink.streams()[1].bytes, "zwei");
}

TEST(ExtractFormatsTest, RecognisedByContentOnly) {
  const struct {
    const char* name;
    std::string bytes;
  } plain[] = {
      {"text starting with PK", "PKW-Kennzeichen M\xC3\xBCller\n"},
      {"text starting with From", "From the desk of Hans\nDear all\n"},
      {"one header-like line only", "Subject: Besprechung\n\nText\n"},
      {"angle bracket prose", "<Hans> hat geschrieben\n"},
      {"text quoting a PDF header", "Datei: %PDF-1.4 kaputt\n"},
      {"binary", std::string("\x7F"
                             "ELF\0\0<html>",
                             11)},
      {"empty", ""},
  };
  for (const auto& c : plain) {
    SCOPED_TRACE(c.name);
    const samples::Extraction extraction = Extract(c.bytes);
    EXPECT_EQ(extraction.result.Kind, Outcome::NotADocument);
    EXPECT_TRUE(extraction.sink.streams().empty());
    EXPECT_EQ(extract::MayBeDocument(c.bytes), false);
  }
}

}  // namespace
