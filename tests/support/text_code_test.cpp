#include "support/text_code.h"

#include <gtest/gtest.h>

#include "testing/test_program.h"

namespace {

struct GetFieldCase {
  std::u16string list;
  int n;
  std::u16string separator;
  std::u16string expected;
};

TEST(FieldListTest, GetFieldReadsOnlyClosedFieldsOfWellFormedLists) {
  const GetFieldCase cases[] = {
      {u"|a|b|c|", 2, u"|", u"b"},   {u"|a|b|c|", 0, u"|", u""},    {u"|a|b|c|", 4, u"|", u""},
      {u"|a|b|c|", -1, u"|", u""},   {u"|a|b", 2, u"|", u""},       {u"|a|b", 1, u"|", u"a"},
      {u"a|b|", 1, u"|", u""},       {u" |a|", 1, u"|", u""},       {u"|a||c|", 2, u"|", u""},
      {u"|a||c|", 3, u"|", u"c"},    {u"", 1, u"|", u""},           {u"|", 1, u"|", u""},
      {u"::a::b::", 2, u"::", u"b"}, {u"::a::b::", 1, u"::", u"a"}, {u"||", 1, u"|", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetField(c.list, c.n, c.separator), c.expected) << Utf8(c.list) << " field " << c.n;
  }
}

TEST(FieldListTest, FieldCountCountsEverySeparatorButOne) {
  const std::pair<std::u16string, int> cases[] = {
      {u"", -1}, {u"|", 0}, {u"|a|", 1}, {u"|a|b", 1}, {u"a|b|", 1}, {u"|a|b|c|", 3}, {u"||", 1},
  };
  for (const auto& [list, expected] : cases) {
    EXPECT_EQ(FieldCount(list, u"|"), expected) << Utf8(list);
  }
  EXPECT_EQ(FieldCount(u"::a::b::", u"::"), 2);
}

TEST(FieldListTest, FieldsAfterFirstKeepsTheRestAsAList) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"|K1|alpha|beta|", u"|alpha|beta|"},
      {u"|a|b|c|", u"|b|c|"},
      {u"|a|", u"|"},
      {u"|", u""},
      {u"a|b|", u"|b|"},
      {u"|a|b", u"|b"},
      {u"||x|", u"|x|"},
  };
  for (const auto& [list, expected] : cases) {
    EXPECT_EQ(FieldsAfterFirst(list, u"|"), expected) << Utf8(list);
  }
}

TEST(FieldListTest, AppendFieldTakesTheEmptyTextAsTheEmptyList) {
  EXPECT_EQ(AppendField(u"", u"1F", u"|"), u"|1F|");
  EXPECT_EQ(AppendField(u"|", u"x", u"|"), u"|x|");
  EXPECT_EQ(AppendField(u"|a|", u"b", u"|"), u"|a|b|");
  EXPECT_EQ(AppendField(u"|a", u"b", u"|"), u"|ab|");
  // Appending a text that holds the separator reads back as several fields.
  EXPECT_EQ(FieldCount(AppendField(u"|", u"a|b", u"|"), u"|"), 2);
}

TEST(FieldListTest, StartsWithPadsWithBlanksAndFixLengthCutsOrPads) {
  EXPECT_TRUE(StartsWith(u"ab", u"ab  "));
  EXPECT_TRUE(StartsWith(u"", u" "));
  EXPECT_TRUE(StartsWith(u"abc", u""));
  EXPECT_FALSE(StartsWith(u"", u"|"));
  EXPECT_FALSE(StartsWith(u" |a|", u"|"));
  EXPECT_EQ(FixLength(u"ab", 5, u"*"), u"ab***");
  EXPECT_EQ(FixLength(u"abcdef", 3, u"*"), u"abc");
  EXPECT_EQ(FixLength(u"abc", 3, u"*"), u"abc");
}

TEST(FieldListTest, CountOfNeverCountsOverlaps) {
  EXPECT_EQ(CountOf(u"|a|b|", u"|"), 3);
  EXPECT_EQ(CountOf(u"aaa", u"aa"), 1);
  EXPECT_EQ(CountOf(u"a::b::", u"::"), 2);
  EXPECT_EQ(CountOf(u"", u"|"), 0);
}

TEST(TextCodeTest, FileNameOfTakesTheLastComponent) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"C:\\DATA\\*.TXT", u"*.TXT"},
      {u"/a/b/", u"b"},
      {u"A/B\\C", u"C"},
      {u"C:", u"C:"},
      {u"\\", u""},
      {u"\\\\", u""},
      {u"", u""},
      {u"*.LOG\\", u"*.LOG"},
      {u"D:/X/*.LOG", u"*.LOG"},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(FileNameOf(path), expected) << Utf8(path);
  }
}

TEST(TextCodeTest, CutAtNullStopsAtTheFirstNul) {
  EXPECT_EQ(CutAtNull(std::u16string(u"abc\0def", 7)), u"abc");
  EXPECT_EQ(CutAtNull(u"abc"), u"abc");
  EXPECT_EQ(CutAtNull(std::u16string(u"\0x", 2)), u"");
}

}  // namespace
