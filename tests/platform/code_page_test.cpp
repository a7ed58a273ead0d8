#include "platform/code_page.h"

#include <gtest/gtest.h>

#include "platform/native_path.h"

namespace {

TEST(CodePageTest, EveryByteRoundTrips) {
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i)
    all[i] = static_cast<char>(i);
  const std::u16string text = platform::DecodeCodePage(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(text[0x80], u'€');
  EXPECT_EQ(text[0x8A], u'Š');
  EXPECT_EQ(text[0x81], 0x0081);
  EXPECT_EQ(text[0xE4], u'ä');
  EXPECT_EQ(platform::EncodeCodePage(text), all);
}

TEST(CodePageTest, CharactersWithoutAByteBecomeQuestionMarks) {
  EXPECT_EQ(platform::EncodeCodePage(u"a\u0416b\u4E2D"), "a?b?");
}

TEST(CodePageTest, UpperCaseCoversTheCodePageLetters) {
  EXPECT_EQ(platform::UpperCase(u"abcäöüéšœžÿßµ÷"), u"ABCÄÖÜÉŠŒŽŸßµ÷");
}

TEST(CodePageTest, FoldTablePairsUpperAndLowerCaseBytes) {
  const auto& fold = platform::CaseFoldTable();
  const auto byte = [](char16_t c) {
    return static_cast<unsigned char>(platform::EncodeCodePage(std::u16string(1, c))[0]);
  };
  const std::pair<char16_t, char16_t> pairs[] = {
      {u'a', u'A'}, {u'ä', u'Ä'}, {u'š', u'Š'}, {u'œ', u'Œ'},
      {u'ÿ', u'Ÿ'}, {u'ž', u'Ž'}, {u'þ', u'Þ'},
  };
  for (const auto& [lower, upper] : pairs) {
    EXPECT_EQ(fold[byte(lower)], fold[byte(upper)]) << static_cast<int>(lower);
  }
  EXPECT_NE(fold[byte(u'ß')], fold[byte(u'S')]);
  EXPECT_NE(fold[byte(u'÷')], fold[byte(u'×')]);
  EXPECT_EQ(fold[0], 0);
}

TEST(NativePathTest, InvalidUtf8BytesSurviveTheRoundTrip) {
  const std::string names[] = {"plain",   "M\xC3\xBCller",     "bad\xFF\xFE",
                               "\xC3",    "\xF0\x9F\x98\x80x", "\xED\xA0\x80",
                               "\xC0\xAF"};
  for (const auto& name : names) {
    EXPECT_EQ(platform::ToNativePath(platform::FromNativePath(name)), name);
  }
  EXPECT_EQ(platform::FromNativePath("M\xC3\xBCller"), u"Müller");
  EXPECT_EQ(platform::ToDisplayUtf8(platform::FromNativePath("a\xFF")), "a\xEF\xBF\xBD");
}

}  // namespace
