#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "testing/test_program.h"

namespace {

using platform::TextConvention;
using Lines = std::vector<std::string>;

TEST(TextEncodingTest, ConfigurationIsDecodedAsAWholeAndSplitIntoLines) {
  // The configuration lines under a convention, as UTF-8 for readable failures.
  const auto linesOf = [](std::string_view content, TextConvention convention) {
    Lines lines;
    for (const std::u16string& line :
         platform::ConfigurationLines(content, convention, platform::Windows1252CodePage()))
      lines.push_back(Utf8(line));
    return lines;
  };
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    std::string content;
    Lines onLinux, onWindows;  // the lines under each system's convention
  } cases[] = {
      {"", {}, {}},
      {bom, {}, {}},
      {"NAME|Nord|\r\nFOLDER|/x|", {"NAME|Nord|", "FOLDER|/x|"}, {"NAME|Nord|", "FOLDER|/x|"}},
      // UTF-8 without a mark: taken as such where text is UTF-8; the code page on Windows.
      {"NAME|M\xC3\xBCller|\r\n", {"NAME|Müller|"}, {"NAME|MÃ¼ller|"}},
      {bom + "NAME|\xC5\x81ukasz|\r\n", {"NAME|Łukasz|"}, {"NAME|Łukasz|"}},
      {"NAME|M\xFCller|Wei\xDF|\x80\r", {"NAME|Müller|Weiß|€"}, {"NAME|Müller|Weiß|€"}},
      // One byte that is no UTF-8 makes the whole file the code page, earlier lines included.
      {"M\xC3\xBCller\r\nWei\xDF", {"MÃ¼ller", "Weiß"}, {"MÃ¼ller", "Weiß"}},
      {bom + "\xC3", {"Ã"}, {"Ã"}},  // a sequence cut off at the end
      {"\xEF\xBB", {"ï»"}, {"ï»"}},  // not quite a mark
      // Line ends: CR, CR LF, and LF only where the system's own text ends lines with it.
      {"a\rb\r\nc\nd", {"a", "b", "c", "d"}, {"a", "b", "c\nd"}},
      {"a\n\r", {"a", ""}, {"a\n"}},
      {"a\r\r\n", {"a", ""}, {"a", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(linesOf(c.content, TextConvention::Utf8), c.onLinux) << c.content;
    EXPECT_EQ(linesOf(c.content, TextConvention::CodePage), c.onWindows) << c.content;
  }
}

TEST(TextEncodingTest, LogLinesAreUtf8OrTheCodePageAndFileNamesRoundTrip) {
  const platform::CodePage& codePage = platform::Windows1252CodePage();
  // Ж has no code page byte; U+DCFF stands for the raw file-name byte FF.
  const std::u16string line = u"Weiß Ж café" + std::u16string(1, char16_t{0xDCFF});
  EXPECT_EQ(platform::LogLineBytes(line, TextConvention::Utf8, codePage),
            "Wei\xC3\x9F \xD0\x96 caf\xC3\xA9\xFF");
  EXPECT_EQ(platform::LogLineBytes(line, TextConvention::CodePage, codePage),
            "Wei\xDF ? caf\xE9\xFF");

  std::string all;
  for (int i = 0; i < 256; ++i)
    all += static_cast<char>(i);
  const std::u16string text = platform::DecodeCodePage(all);
  EXPECT_EQ(text.substr(0x80, 2) + text.substr(0x8A, 1) + text.substr(0xE4, 1), u"€\u0081Šä");
  EXPECT_EQ(platform::EncodeCodePage(text), all);
  // Bytes that are no UTF-8 come back unchanged, so every file the walk meets can be opened.
  for (const std::string name :
       {"M\xC3\xBCller", "bad\xFF\xFE", "\xC3", "\xF0\x9F\x98\x80x", "\xED\xA0\x80", "\xC0\xAF"})
    EXPECT_EQ(platform::ToUtf8(platform::FromUtf8(name)), name);
}

}  // namespace
