#include "platform/code_page.h"

#include <gtest/gtest.h>

#include "platform/native_path.h"

namespace {

TEST(CodePageTest, EveryByteRoundTripsAndOtherCharactersBecomeQuestionMarks) {
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i)
    all[i] = static_cast<char>(i);
  const std::u16string text = platform::DecodeCodePage(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(std::u16string({text[0x80], text[0x8A], text[0x81], text[0xE4]}), u"€Š\u0081ä");
  EXPECT_EQ(platform::EncodeCodePage(text), all);
  EXPECT_EQ(platform::EncodeCodePage(u"a\u0416b\u4E2D"), "a?b?");
}

TEST(CodePageTest, UpperCaseAndFoldTableCoverTheCodePageLetters) {
  EXPECT_EQ(platform::UpperCase(u"abcäöüéšœžÿßµ÷"), u"ABCÄÖÜÉŠŒŽŸßµ÷");
  const auto& fold = platform::CaseFoldTable();
  const auto folded = [&fold](char16_t c) {
    return fold[static_cast<unsigned char>(platform::EncodeCodePage(std::u16string(1, c))[0])];
  };
  const std::pair<char16_t, char16_t> pairs[] = {{u'a', u'A'}, {u'ä', u'Ä'}, {u'š', u'Š'},
                                                 {u'œ', u'Œ'}, {u'ÿ', u'Ÿ'}, {u'ž', u'Ž'},
                                                 {u'þ', u'Þ'}};
  for (const auto& [lower, upper] : pairs)
    EXPECT_EQ(folded(lower), folded(upper)) << static_cast<int>(lower);
  EXPECT_NE(folded(u'ß'), folded(u'S'));
  EXPECT_NE(folded(u'÷'), folded(u'×'));
}

TEST(NativePathTest, InvalidUtf8BytesSurviveTheRoundTrip) {
  for (const std::string name : {"plain", "M\xC3\xBCller", "bad\xFF\xFE", "\xC3",
                                 "\xF0\x9F\x98\x80x", "\xED\xA0\x80", "\xC0\xAF"})
    EXPECT_EQ(platform::ToNativePath(platform::FromNativePath(name)), name);
  EXPECT_EQ(platform::FromNativePath("M\xC3\xBCller"), u"Müller");
  EXPECT_EQ(platform::ToDisplayUtf8(platform::FromNativePath("a\xFF")), "a\xEF\xBF\xBD");
}

}  // namespace
