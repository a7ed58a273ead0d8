#include <gtest/gtest.h>

#include <tuple>

#include "extract/charset.h"
#include "extract/samples.h"

namespace {

using samples::Extract;
using samples::Zip;
using namespace std::string_literals;

const std::string kXlsx = Zip({
    {"[Content_Types].xml", "<Types/>"},
    {"xl/sharedStrings.xml",
     "<sst><si><t>M&#252;ller</t></si><si><r><t>Ma</t></r><r><t>ier</t></r></si></sst>"},
    {"xl/worksheets/sheet1.xml",
     "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>Kurz</t>"
     "</is></c><c><v>42</v></c></row></sheetData></worksheet>"},
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

// Headers in every encoding (RFC 2047 words, RFC 2231 parameters, raw bytes), a quoted boundary,
// every transfer encoding with lines cut anywhere, and parts that are not read.
const std::string kMail =
    "Return-Path: <j@example.org>\r\nFrom: =?ISO-8859-1?Q?J=FCrgen_Wei=DF?= <j@example.org>\r\n"
    "To: Herr =?utf-8?q?M=C3=BCller?= und Frau <a@example.org>\r\n"
    "Cc: =?utf-8*de?q?Gr=C3=BC=C3=9Fe?=\r\nX-Bad: =?utf-8?x?kaputt?= =?\r\nX-Raw: \xFC and "
    "\xC3\xBC\r\n"
    "Subject: =?UTF-8?B?R3LDvMOfZQ==?= =?UTF-8?Q?_von_B=C3=A4r?=\r\nMIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"o;b \\\"c\\\"\"\r\n\r\nPreamble Niemand\r\n"
    "--o;b \"c\"\r\nContent-Type: multipart/alternative; boundary=inner\r\n\r\n"
    "--inner\r\nContent-Type: text/plain; charset=\"utf-8\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
    "Liebe Frau M=C3=BC=\r\nller, =3D ok  \r\nkein =XY\r\n"
    "--inner\r\nContent-Type:  Text/HTML ;CHARSET=iso-8859-1 ; format=flowed\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\n"
    "PHA+SGV\r\nyciBL9mh\r\nsZXI8L3A+\r\n"  // <p>Herr Köhler</p> in Latin-1
    "--inner--\r\n--o;b \"c\"\r\nContent-Type: application/octet-stream\r\n"
    "Content-Disposition: attachment; filename*=utf-8''Brief%20an%20J%C3%A4ger.bin\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\nQW5oYW5nIEZyaWVkcmljaA==\r\n"  // "Anhang Friedrich"
    "--o;b \"c\"\r\nContent-Type: text/rtf; name=\"=?utf-8?q?G=C3=A4rten?=\"\r\n"
    "Content-Disposition: inline; filename*0*=iso-8859-1''J%E4; filename*1=ger.rtf\r\n\r\n"
    "{\\rtf1\\ansi Frau G\\'e4rtner}\r\n--o;b \"c\"--\r\nEpilogue\r\n";

const std::string kMbox =
    "From a@example.org Mon Jan  1 00:00:00 2024\n"
    "From: a@example.org\nSubject: eins\n\nErste Nachricht\n\n"
    "From b@example.org Mon Jan  1 00:00:00 2024\n"
    "From: b@example.org\nSubject: zwei\nContent-Transfer-Encoding: quoted-printable\n\n"
    "Gru=C3=9F, Lehmann\n";

struct FormatCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> text;      // in the text; "!": not in it
  std::vector<std::string> raw = {};  // in the raw streams
};

std::vector<FormatCase> FormatCases() {
  // However many parts and pages: all are read.
  std::string parts = "From: a@b\nTo: c@d\nContent-Type: multipart/mixed; boundary=x\n\n";
  for (int part = 0; part < 500; ++part)
    parts += "--x\nContent-Type: text/plain\n\nTeil " + std::to_string(part) + "\n";
  std::vector<std::string> pages(300, "Seite");
  pages.front() =
      "Frau Schr\xC3\xB6"
      "der";
  pages.back() = "Herr M\xC3\xBCller";
  // clang-format off
  return {
      {"docx: runs of a paragraph joined, blanks between them kept, paragraphs apart",
       samples::Docx({{"Schr", "\xC3\xB6", "der"}, {"Anna ", "Wei&#223;"},
                      {"Otto</w:t></w:r> <w:r><w:t>Lang"}, {"A</w:t><w:tab/><w:t>B</w:t><w:br/><w:t>C"}}),
       {"Schr\xC3\xB6" "der\nAnna Wei\xC3\x9F\nOtto Lang\nA B\nC\n", "!derAnna"}},
      {"xlsx: shared and inline strings", kXlsx, {"M\xC3\xBCller", "Maier", "Kurz"}},
      {"pptx: indentation between runs, properties, comment authors", kPptx,
       {"Kramer", "Eva Lang", "Otto Blum", "!Eva LangBericht"}},
      {"odt: spans, spaces, meta; media searched raw", kOdt,
       {"Frau B\xC3\xA4" "cker\nEnde", "Ute Sommer", "!Nicht gesucht"}, {"Bildtext Hansen"}},
      {"html: code page from the meta tag, references decoded, scripts dropped, blanks collapsed",
       "<!DOCTYPE html><html><head><meta charset=\"windows-1252\"><title>Akte</title><style>p{}"
       "</style></head><body><p>Herr M&uuml;ller und Wei&#223; &amp; <b>Sch</b>mitt</p><script>"
       "var x='Geheim';</script><div>J\xFCrgen \x80</div><p>Herr\n   <b>K</b>lein</p><span>a"
       "</span>\n<i>b</i></body></html>",
       {"Herr M\xC3\xBCller und Wei\xC3\x9F & Schmitt\nJ\xC3\xBCrgen \xE2\x82\xAC\nHerr Klein\na b\n",
        "Akte", "!Geheim", "!p{}"}},
      {"xml: references and a single-byte encoding",
       "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<liste>\n  <name>Wei&#223;</name>\n  "
       "<name>J\xFCrgen \x80</name>\n  <person name=\"M&#xFC;ller\"/>\n</liste>\n",
       {"Wei\xC3\x9F\nJ\xC3\xBCrgen \xE2\x82\xAC\nM\xC3\xBCller"}},
      {"rtf: code pages per font, unicode, hidden groups", kRtf,
       {"Herr M\xC3\xBCller,", "\xC5\xBDofie Kr\xF0\x9F\x98\x83l", "Ma\xC5\x82gorzata",
        "Schr\xC3\xB6" "der", "Karl Rot", "!Geheim", "!Arial", "!?ofie"}},
      {"pdf: every page's text through a deflated stream", samples::Pdf(pages),
       {"Frau Schr\xC3\xB6" "der\n", "Herr M\xC3\xBCller\n"}},
      {"eml: five hundred parts", parts + "--x--\n", {"Teil 0\n", "Teil 499\n"}},
      {"eml: encoded headers, quoted-printable, base64 in a charset, attachments raw", kMail,
       {"J\xC3\xBCrgen Wei\xC3\x9F", "To: Herr M\xC3\xBCller und Frau <", "Cc: Gr\xC3\xBC\xC3\x9F" "e\n",
        "X-Bad: =?utf-8?x?kaputt?= =?\n", "X-Raw: \xC3\xBC and \xC3\xBC\n",
        "Subject: Gr\xC3\xBC\xC3\x9F" "e von B\xC3\xA4r\n", "Liebe Frau M\xC3\xBCller, = ok\nkein =XY\n",
        "Herr K\xC3\xB6hler", "\nBrief an J\xC3\xA4ger.bin\n", "\nG\xC3\xA4rten\nJ\xC3\xA4ger.rtf\n",
        "Frau G\xC3\xA4rtner", "!Niemand", "!Epilogue"},
       {"Anhang Friedrich"}},
      {"eml: an attached document is read in turn",
       samples::MailWithAttachment(samples::Docx({{"Bewerbung ", "Zimmermann"}})),
       {"Siehe Anhang", "Bewerbung Zimmermann"}, {"word/document.xml"}},
      {"mbox: every message", kMbox, {"Erste Nachricht", "Gru\xC3\x9F, Lehmann", "Subject: zwei"}},
      {"zip: members raw, each exactly, and as documents down to the third level",
       Zip({{"a.bin", "bin\0\xFF\xFE X"s}, {"notes.txt", "Telefon Hansen"},
            {"sub/inner.zip", Zip({{"letter.docx", samples::Docx({{"Schr", "oeder"}})}})}}),
       {"Schroeder"}, {"bin\0\xFF\xFE X\nTelefon Hansen\n"s}},
  };
  // clang-format on
}

// Every read split into tiny pieces must give the same streams: sequences cut between reads
// (UTF-8, base64 groups, control words, lines, zip blocks) are carried over.
TEST(ExtractFormatsTest, EachFormatGivesItsTextInReadsOfAnySize) {
  for (const FormatCase& c : FormatCases()) {
    SCOPED_TRACE(c.name);
    const samples::Extraction whole = Extract(c.bytes);
    EXPECT_EQ(whole.result.Kind, extract::Outcome::Extracted) << whole.result.Reason;
    const std::string text = whole.sink.AllText(), raw = whole.sink.AllRaw();
    for (const std::string& fragment : c.text) {
      const bool absent = fragment.starts_with('!');
      EXPECT_EQ(text.find(fragment.substr(absent)) == std::string::npos, absent) << text;
    }
    for (const std::string& expected : c.raw)
      EXPECT_NE(raw.find(expected), std::string::npos) << expected << " not raw";
    for (const std::size_t readSize : {std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
      samples::ChoppySource source(c.bytes, readSize);
      samples::CollectingSink sink;
      EXPECT_EQ(extract::ExtractText(source, sink).Kind, whole.result.Kind) << readSize;
      EXPECT_EQ(sink.AllText(), text) << readSize;
      EXPECT_EQ(sink.AllRaw(), raw) << readSize;
    }
  }
}

// Converting in pieces of every size gives what converting at once gives.
TEST(ExtractFormatsTest, CharsetDecoderCarriesSequencesAcrossPieces) {
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"utf-8", "M\xC3\xBCller \xF0\x9F\x98\x83", "M\xC3\xBCller \xF0\x9F\x98\x83"},
      {"", "M\xFCller \xC3\xBC", "M\xC3\xBCller \xC3\xBC"},  // invalid bytes read as 1252
      {"UTF-8", "a\xC3", "a\xC3\x83"},                       // cut off at the end
      {"utf-16le", std::string("M\0\xFC", 3), "M\xEF\xBF\xBD"},
      {"ISO-8859-1", "Wei\xDF \x80", "Wei\xC3\x9F \xE2\x82\xAC"},
      {"windows-1250", "Ma\xB3gorzata", "Ma\xC5\x82gorzata"},
      {"shift_jis", "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"utf-16le", std::string("M\0\xFC\0", 4), "M\xC3\xBC"},
      {"../../etc/evil", "x\xE4", "x\xC3\xA4"},  // unknown, as 1252; no file opened
  };
  for (const auto& [charset, bytes, utf8] : cases) {
    for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
      SCOPED_TRACE(std::string(charset) + " piece " + std::to_string(piece));
      extract::detail::CharsetDecoder decoder(charset);
      std::string out;
      for (std::size_t at = 0; at < bytes.size(); at += piece)
        decoder.Add(std::string_view(bytes).substr(at, piece), out);
      decoder.Finish(out);
      EXPECT_EQ(out, utf8);
    }
  }
}

}  // namespace
