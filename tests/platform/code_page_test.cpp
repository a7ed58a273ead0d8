#include "platform/code_page.h"

#include <gtest/gtest.h>

#include "platform/utf8.h"

namespace {

TEST(CodePageTest, EveryByteAndEveryFileNameRoundTrips) {
  std::string all;
  for (int i = 0; i < 256; ++i)
    all += static_cast<char>(i);
  const std::u16string text = platform::DecodeCodePage(all);
  EXPECT_EQ(text.substr(0x80, 2) + text.substr(0x8A, 1) + text.substr(0xE4, 1), u"€\u0081Šä");
  EXPECT_EQ(platform::EncodeCodePage(text), all);
  EXPECT_EQ(platform::EncodeCodePage(u"a\u0416b\u4E2D"), "a?b?");
  // A file name byte that was not UTF-8 is logged as that byte, so such names stay apart.
  EXPECT_EQ(platform::EncodeCodePage(platform::FromUtf8("caf\xE9")), "caf\xE9");
  // Bytes that are no UTF-8 come back unchanged, so every file the walk meets can be opened.
  for (const std::string name :
       {"M\xC3\xBCller", "bad\xFF\xFE", "\xC3", "\xF0\x9F\x98\x80x", "\xED\xA0\x80", "\xC0\xAF"})
    EXPECT_EQ(platform::ToUtf8(platform::FromUtf8(name)), name);
}

}  // namespace
