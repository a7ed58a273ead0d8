#include <gtest/gtest.h>

#include <tuple>

#include "extract/charset.h"
#include "extract/samples.h"

namespace {

using extract::Outcome;
using samples::Extract;
using samples::Zip;
using namespace std::string_literals;

// Every part of an Office package: a slide pretty-printed (the indentation between runs must not
// split the name), sheet strings, properties and comments.
const std::string kOffice = Zip({
    {"[Content_Types].xml", "<Types/>"},
    {"xl/sharedStrings.xml",
     "<sst><si><t>M&#252;ller</t></si><si><r><t>Ma</t></r><r><t>ier</t></r></si></sst>"},
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
  pages.front() = "Frau Wei\xC3\x9F";
  pages.back() = "Herr M\xC3\xBCller";
  // clang-format off
  return {
      {"docx: runs of a paragraph joined, blanks between them kept, paragraphs apart",
       samples::Docx({{"Schr", "\xC3\xB6", "der"}, {"Anna ", "Wei&#223;"},
                      {"Otto</w:t></w:r> <w:r><w:t>Lang"}, {"A</w:t><w:tab/><w:t>B</w:t><w:br/><w:t>C"}}),
       {"Schr\xC3\xB6" "der\nAnna Wei\xC3\x9F\nOtto Lang\nA B\nC\n", "!derAnna"}},
      {"pptx and xlsx parts: runs, sheet strings, properties, comment authors", kOffice,
       {"Kramer", "M\xC3\xBCller", "Maier", "Eva Lang", "Otto Blum", "!Eva LangBericht"}},
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
       {"Frau Wei\xC3\x9F\n", "Herr M\xC3\xBCller\n"}},
      {"eml: five hundred parts", parts + "--x--\n", {"Teil 0\n", "Teil 499\n"}},
      {"eml: encoded headers, quoted-printable, base64, parts raw and as documents", kMail,
       {"J\xC3\xBCrgen Wei\xC3\x9F", "To: Herr M\xC3\xBCller und Frau <", "Cc: Gr\xC3\xBC\xC3\x9F" "e\n",
        "X-Bad: =?utf-8?x?kaputt?= =?\n", "X-Raw: \xC3\xBC and \xC3\xBC\n",
        "Subject: Gr\xC3\xBC\xC3\x9F" "e von B\xC3\xA4r\n", "Liebe Frau M\xC3\xBCller, = ok\nkein =XY\n",
        "Herr K\xC3\xB6hler", "\nBrief an J\xC3\xA4ger.bin\n", "\nG\xC3\xA4rten\nJ\xC3\xA4ger.rtf\n",
        "Frau G\xC3\xA4rtner", "!Niemand", "!Epilogue"},
       {"Anhang Friedrich"}},
      {"eml: a bare MIME part", "Content-Type: text/plain; charset=utf-8\r\n"
       "Content-Transfer-Encoding: quoted-printable\r\n\r\nPatrik F=C3=A4ltstr=C3=B6m\r\n",
       {"Patrik F\xC3\xA4ltstr\xC3\xB6m\n", "!F=C3"}},
      {"eml: headers only, without the closing empty line",
       "From: =?utf-8?q?Keld_J=C3=B8rn?= <k@example.org>\nTo: a@example.org",
       {"From: Keld J\xC3\xB8rn <k@example.org>\n"}},
      {"eml: headers running straight into the body",
       "Subject: Test\nContent-Transfer-Encoding: base64\nTWlyb3PFgmF3IEtvd2Fsc2tp\n",
       {"Miros\xC5\x82" "aw Kowalski", "!TWly"}},
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
    EXPECT_EQ(whole.result.Kind, Outcome::Extracted) << whole.result.Reason;
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
      EXPECT_EQ(std::pair(sink.AllText(), sink.AllRaw()), std::pair(text, raw)) << readSize;
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
      {"shift_jis", "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"utf-16le", std::string("M\0\xFC\0", 4), "M\xC3\xBC"},
      {"../../etc/evil", "x\xE4", "x\xC3\xA4"},  // unknown, as 1252; no file opened
  };
  for (const auto& [charset, bytes, utf8] : cases) {
    for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
      extract::detail::CharsetDecoder decoder(charset);
      std::string out;
      for (std::size_t at = 0; at < bytes.size(); at += piece)
        decoder.Add(std::string_view(bytes).substr(at, piece), out);
      decoder.Finish(out);
      EXPECT_EQ(out, utf8) << charset << " in pieces of " << piece;
    }
  }
}

/// An Office compound file whose directory holds one stream of the given name.
std::string CompoundFile(std::string_view stream) {
  std::string file = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(1016, '\0');
  file[0x1E] = 9;  // 512-byte sectors; the directory in sector 0, right after the header
  for (std::size_t i = 0; i < stream.size(); ++i)
    file[512 + 128 + 2 * i] = stream[i];  // the name in UTF-16LE
  return file;
}

TEST(ExtractDamageTest, DamagedAndEncryptedFilesGiveAReason) {
  std::string numbers;
  for (int i = 0; i < 3000; ++i)
    numbers += std::to_string(i * 7919) + " ";
  const std::string zip =
      Zip({{"a.txt", "Anfang Huber"}, {"b.txt", numbers}, {"c.txt", "Dritter Huber"}});
  // mail > message > message > message: the third nested message is one level too deep
  std::string deepMail = "From: a@b\nTo: c@d\nContent-Type: message/rfc822\n\n";
  for (int level = 0; level < 3; ++level)
    deepMail += "Subject: Ebene " + std::to_string(level) + "\nContent-Type: message/rfc822\n\n";
  const struct {
    const char* name;
    std::string bytes;
    std::string reason;
    std::string textSoFar = {}, rawSoFar = {};  // still given before the damage
  } cases[] = {
      {"zip missing its end", zip.substr(0, zip.size() - 30), "damaged zip", "", "Dritter Huber"},
      {"zip cut in its second member", zip.substr(0, 400), "damaged zip", "", "Anfang Huber"},
      {"zip with 30 bytes of its second member spoilt", std::string(zip).replace(300, 30, 30, 'U'),
       "damaged zip", "", "Dritter Huber"},
      {"zip that is only a signature", std::string("PK\x03\x04garbage", 11), "damaged zip"},
      {"Office package encrypted", CompoundFile("EncryptedPackage"), "encrypted"},
      {"OpenDocument encrypted",
       Zip({{"mimetype", "application/vnd.oasis.opendocument.text"},
            {"META-INF/manifest.xml", "<manifest:encryption-data/>"},
            {"content.xml", "\x8F\x01garbage"}}),
       "encrypted"},
      {"docx part that is not XML",
       Zip({{"[Content_Types].xml", "<Types/>"},
            {"word/document.xml", "<w:document><w:t>Vogel</w:t><w:p></w:document>"}}),
       "damaged XML", "Vogel"},
      {"PDF without body", "%PDF-1.4\nnothing else\n", "damaged PDF"},
      {"PDF with a password",
       samples::Pdf({"Geheim"}, "<< /Filter /Standard /V 1 /R 2 /P -4 /O <" + std::string(64, 'A') +
                                    "> /U <" + std::string(64, 'B') + "> >>"),
       "encrypted"},
      {"XML cut short", "<?xml version=\"1.0\"?><akte><name>Graf</name><name>Lu", "damaged XML",
       "Graf"},
      {"RTF cut short", "{\\rtf1\\ansi Herr Kaiser\\par {\\b fett", "damaged RTF", "Herr Kaiser"},
      // Its members stay searchable raw although the fourth level is not opened.
      {"zip too deep",
       Zip({{"3.zip", Zip({{"2.zip", Zip({{"1.zip", samples::Docx({{"Tief"}})}})}})}}),
       "nesting deeper than 3", "", "word/document.xml"},
      {"attachment too deep", deepMail + "Subject: innen\n\nTief\n", "nesting deeper than 3",
       "Ebene 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const samples::Extraction extraction = Extract(c.bytes);
    EXPECT_EQ(extraction.result.Kind, Outcome::NotExtracted);
    EXPECT_EQ(extraction.result.Reason, c.reason);
    EXPECT_NE(extraction.sink.AllText().find(c.textSoFar), std::string::npos);
    EXPECT_NE(extraction.sink.AllRaw().find(c.rawSoFar), std::string::npos);
  }
}

TEST(ExtractDamageTest, LimitsNameTheBoundReached) {
  const std::string zip = Zip({{"a.txt", std::string(std::size_t{3} << 20, 'A')},
                               {"b.txt", std::string(std::size_t{3} << 20, 'B')}});
  // Eight megabytes of markup without text, compressed to a few kilobytes.
  const std::string bomb = Zip({{"[Content_Types].xml", "<Types/>"},
                                {"x.xml", "<a>" + std::string(8'000'000, ' ') + "</a>"}});
  const std::string pdf = samples::Pdf({"Weber"});
  // The bytes, the limits, the reason, and the bytes given to the sink (UINT64_MAX: any).
  const std::tuple<const std::string&, extract::Limits, std::string, std::uint64_t> cases[] = {
      {zip, {.MaxText = 2 << 20, .MaxRatio = 1e6}, "extraction limit: 2 MB of text", 2 << 20},
      {zip, {.MaxText = 5000, .MaxRatio = 1e6}, "extraction limit: 5000 bytes of text", 5000},
      {zip, {.MaxRatio = 0.5, .RatioFloor = 0}, "extraction limit: ratio 0.5:1", zip.size() / 2},
      {zip, {.MaxRatio = 1, .RatioFloor = 4 << 20}, "extraction limit: ratio 1:1", 4 << 20},
      {zip, {.MaxRatio = 1e6}, "", 6 << 20},
      {bomb,
       {.RatioFloor = 0},
       "entpackt zu gro\xC3\x9F: mehr als " + std::to_string(400 * bomb.size()) + " bytes",
       UINT64_MAX},
      // A PDF is held whole in memory: one byte over the bound and it is not read.
      {pdf, {.MaxWholeBytes = pdf.size() - 1}, "too large to extract", 0},
  };
  for (const auto& [bytes, limits, reason, total] : cases) {
    const samples::Extraction extraction = Extract(bytes, limits);
    EXPECT_EQ(extraction.result.Reason, reason);
    EXPECT_TRUE(total == UINT64_MAX || extraction.sink.Total() == total) << reason;
  }
}

// The sink asking to stop, or the source failing halfway, ends the extraction with the reason;
// what came before was given, nothing after.
TEST(ExtractDamageTest, AStopOrAReadFailureHalfwayIsNamed) {
  const std::string tail(200000, 'x');
  // The bytes, where reading fails, after how many bytes the sink stops, and the reason.
  const std::tuple<std::string, std::uint64_t, std::uint64_t, std::string> cases[] = {
      {Zip({{"a.txt", "Herr Kaiser" + tail}, {"b.txt", "B"}}), UINT64_MAX, 20, "stopped"},
      {"{\\rtf1 Herr Kaiser\\par " + tail + "}", 100000, UINT64_MAX, "read error"},
      {"From: a@b\nTo: c@d\n\nHerr Kaiser\n" + tail, 100000, UINT64_MAX, "read error"},
  };
  for (const auto& [bytes, failFrom, stopAfter, reason] : cases) {
    samples::ChoppySource source(bytes, 4096);
    source.failFrom = failFrom;
    samples::CollectingSink sink;
    sink.stopAfter = stopAfter;
    EXPECT_EQ(extract::ExtractText(source, sink).Reason, reason);
    EXPECT_NE((sink.AllText() + sink.AllRaw()).find("Herr Kaiser"), std::string::npos);
    EXPECT_LT(sink.Total(), 100000u);
    EXPECT_EQ(sink.AllRaw().find('B'), std::string::npos);
  }
}

TEST(ExtractDamageTest, RecognisedByContentOnly) {
  const std::string plain[] = {
      "PKW-Kennzeichen M\xC3\xBCller\n",    // text starting with PK
      "From the desk of Hans\nDear all\n",  // text starting with From
      "Subject: Besprechung\n\nText\n",     // one header-like line only
      "<Hans> hat geschrieben\n",           // angle bracket prose
      "Datei: %PDF-1.4 kaputt\n",           // text quoting a PDF header
      "070701 Aktenzeichen\n",              // a number like a cpio header's
      "BZh9 ist kein Archiv\n",             // the start of a bzip2 stream
      "\x7F\x45LF\0\0<html>"s,              // binary
      "",
  };
  for (const std::string& bytes : plain) {
    const samples::Extraction extraction = Extract(bytes);
    EXPECT_EQ(extraction.result.Kind, Outcome::NotADocument) << bytes;
    EXPECT_EQ(extraction.sink.Total(), 0u) << bytes;
    EXPECT_FALSE(extract::MayBeDocument(bytes)) << bytes;
  }
  // A compound file is a document only when it holds an encrypted package.
  EXPECT_EQ(Extract(CompoundFile("WordDocument")).result.Kind, Outcome::NotADocument);
}

}  // namespace
