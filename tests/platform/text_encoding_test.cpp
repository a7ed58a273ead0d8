#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include "testing/fake_system.h"
#include "testing/test_program.h"

namespace {

using platform::TextConvention;
using Lines = std::vector<std::string>;

/// The configuration lines of content under a convention, as UTF-8 for readable failures.
Lines LinesOf(std::string_view content, TextConvention convention) {
  const FakeSystem system;
  Lines lines;
  for (const std::u16string& line :
       platform::ConfigurationLines(content, convention, system.CodePage()))
    lines.push_back(Utf8(line));
  return lines;
}

TEST(TextEncodingTest, ConfigurationIsDecodedAsAWholeAndSplitIntoLines) {
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
      {"NAME|M\xC3\xBCller|\r\nNAME|Wei\xDF|",
       {"NAME|MÃ¼ller|", "NAME|Weiß|"},
       {"NAME|MÃ¼ller|", "NAME|Weiß|"}},
      {bom + "NAME|Wei\xDF|\r\n", {"NAME|Weiß|"}, {"NAME|Weiß|"}},
      {bom + "\xC3", {"Ã"}, {"Ã"}},  // a sequence cut off at the end
      {"\xEF\xBB", {"ï»"}, {"ï»"}},  // not quite a mark
      // Line ends: CR, CR LF, and LF only where the system's own text ends lines with it.
      {"a\rb\r\nc\nd", {"a", "b", "c", "d"}, {"a", "b", "c\nd"}},
      {"\r\n\r\n", {"", ""}, {"", ""}},
      {"a\n\r", {"a", ""}, {"a\n"}},
      {"a\r\r\n", {"a", ""}, {"a", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LinesOf(c.content, TextConvention::Utf8), c.onLinux) << c.content;
    EXPECT_EQ(LinesOf(c.content, TextConvention::CodePage), c.onWindows) << c.content;
  }
}

TEST(TextEncodingTest, LogLinesAreUtf8OrTheCodePage) {
  const FakeSystem system;
  // Ж has no code page byte; U+DCFF stands for the raw file-name byte FF.
  const std::u16string line = u"Weiß Ж café" + std::u16string(1, char16_t{0xDCFF});
  EXPECT_EQ(platform::LogLineBytes(line, TextConvention::Utf8, system.CodePage()),
            "Wei\xC3\x9F \xD0\x96 caf\xC3\xA9\xFF");
  EXPECT_EQ(platform::LogLineBytes(line, TextConvention::CodePage, system.CodePage()),
            "Wei\xDF ? caf\xE9\xFF");
}

}  // namespace
