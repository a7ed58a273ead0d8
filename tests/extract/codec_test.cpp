#include <gtest/gtest.h>

#include "extract/charset.h"
#include "extract/markup_text.h"
#include "extract/mime_codec.h"
#include "extract/samples.h"

namespace {

using namespace extract::detail;

// Converting in pieces of every size gives what converting at once gives.
TEST(ExtractCodecTest, CharsetDecoderCarriesSequencesAcrossPieces) {
  const struct {
    const char* charset;
    std::string bytes;
    std::string utf8;
  } cases[] = {
      {"utf-8", "M\xC3\xBCller \xF0\x9F\x98\x83", "M\xC3\xBCller \xF0\x9F\x98\x83"},
      {"", "M\xFCller \xC3\xBC", "M\xC3\xBCller \xC3\xBC"},  // invalid bytes read as 1252
      {"UTF-8", "a\xC3", "a\xC3\x83"},                       // cut off at the end
      {"utf-16le", std::string("M\0\xFC", 3), "M\xEF\xBF\xBD"},
      {"ISO-8859-1", "Wei\xDF \x80", "Wei\xC3\x9F \xE2\x82\xAC"},
      {"windows-1250", "Ma\xB3gorzata", "Ma\xC5\x82gorzata"},
      {"shift_jis", "\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"utf-16le", std::string("M\0\xFC\0", 4), "M\xC3\xBC"},
      {"no-such-charset", "J\xFCrgen", "J\xC3\xBCrgen"},
      {"../../etc/evil", "x\xE4", "x\xC3\xA4"},
  };
  for (const auto& c : cases) {
    for (std::size_t piece = 1; piece <= c.bytes.size(); ++piece) {
      SCOPED_TRACE(std::string(c.charset) + " piece " + std::to_string(piece));
      CharsetDecoder decoder(c.charset);
      std::string out;
      for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
        decoder.Add(std::string_view(c.bytes).substr(at, piece), out);
      }
      decoder.Finish(out);
      EXPECT_EQ(out, c.utf8);
    }
  }
}

TEST(ExtractCodecTest, HeaderValuesAreDecoded) {
  const struct {
    std::string raw;
    std::string decoded;
  } cases[] = {
      {"=?ISO-8859-1?Q?J=FCrgen_Wei=DF?= <j@x.de>", "J\xC3\xBCrgen Wei\xC3\x9F <j@x.de>"},
      {"=?utf-8?b?TcO8bGxlcg==?=", "M\xC3\xBCller"},
      {"=?utf-8?q?M=C3=BC?= =?utf-8?q?ller?=", "M\xC3\xBCller"},  // blanks between words dropped
      {"Herr =?utf-8?q?M=C3=BCller?= und Frau", "Herr M\xC3\xBCller und Frau"},
      {"=?utf-8*de?q?Gr=C3=BC=C3=9Fe?=",
       "Gr\xC3\xBC\xC3\x9F"
       "e"},
      {"=?utf-8?x?kaputt?= =?", "=?utf-8?x?kaputt?= =?"},
      {"raw \xFC and \xC3\xBC", "raw \xC3\xBC and \xC3\xBC"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeHeaderValue(c.raw), c.decoded) << c.raw;
}

TEST(ExtractCodecTest, HeaderParametersInAllForms) {
  const struct {
    std::string value;
    std::string name;
    std::string parameter;
  } cases[] = {
      {"text/plain; charset=\"utf-8\"", "charset", "utf-8"},
      {"text/plain;CHARSET=latin1 ; format=flowed", "charset", "latin1"},
      {"multipart/mixed; boundary=\"a;b \\\"c\\\"\"", "boundary", "a;b \"c\""},
      {"attachment; filename*=utf-8''J%C3%A4ger.pdf", "filename", "J\xC3\xA4ger.pdf"},
      {"attachment; filename*0*=iso-8859-1''J%E4; filename*1=ger.pdf", "filename",
       "J\xC3\xA4ger.pdf"},
      {"attachment; filename=\"=?utf-8?q?J=C3=A4ger?=\"", "filename", "J\xC3\xA4ger"},
      {"text/plain", "charset", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HeaderParameter(c.value, c.name), c.parameter) << c.value;
  EXPECT_EQ(HeaderToken(" Text/HTML ; charset=x"), "text/html");
}

TEST(ExtractCodecTest, TransferEncodingsDecode) {
  std::string out;
  DecodeQuotedPrintableLine("M=C3=BCller=", out);
  DecodeQuotedPrintableLine("=3D ok  ", out);
  DecodeQuotedPrintableLine("kein =XY", out);
  EXPECT_EQ(out, "M\xC3\xBCller= ok\nkein =XY\n");

  for (const std::string& split :
       {std::string("TcO8bGxlcg=="), std::string("TcO\n8bG\nxl\ncg==")}) {
    Base64Decoder decoder;
    std::string bytes;
    std::size_t at = 0;
    for (std::size_t next; (next = split.find('\n', at)) != std::string::npos; at = next + 1) {
      decoder.Add(split.substr(at, next - at), bytes);
    }
    decoder.Add(split.substr(at), bytes);
    EXPECT_EQ(bytes, "M\xC3\xBCller");
  }
}

// Markup events as a parser gives them: "<" opens, "/" closes, anything else is text.
std::string Markup(Markup markup, const std::vector<std::string>& events) {
  samples::CollectingSink sink;
  extract::Limits limits;
  Context context(sink, limits, 1000);
  MarkupText text(context, markup);
  for (const std::string& event : events) {
    if (event[0] == '<') {
      text.StartElement(event.substr(1));
    } else if (event[0] == '/') {
      text.EndElement(event.substr(1));
    } else {
      text.Characters(event);
    }
  }
  text.Finish();
  return sink.AllText();
}

// Runs joined, indentation dropped, blocks apart and scripts skipped are checked on the formats;
// here the blanks and separators their samples do not show.
TEST(ExtractCodecTest, MarkupKeepsBlanksAndSeparatesFields) {
  const struct {
    const char* name;
    extract::detail::Markup markup;
    std::vector<std::string> events;
    std::string text;
  } cases[] = {
      {"a blank between runs on one line stays",
       Markup::Xml,
       {"<p", "<r", "Anna", "/r", " ", "<r", "Lang", "/r", "/p"},
       "Anna Lang\n"},
      {"fields apart, tabs and line breaks",
       Markup::Xml,
       {"<creator", "Eva", "/creator", "<title", "Bericht", "/title", "<p", "A", "<tab", "/tab",
        "B", "<br", "/br", "C", "/p"},
       "Eva\nBericht\nA B\nC\n"},
      {"html blanks collapsed, inline elements joined",
       Markup::Html,
       {"<p", "Herr\n   ", "<b", "M", "/b", "\xC3\xBCller", "/p", "<span", "a", "/span", "\n", "<i",
        "b", "/i"},
       "Herr M\xC3\xBCller\na b\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Markup(c.markup, c.events), c.text) << c.name;
}

}  // namespace
