#include "support/text_code.h"

#include <gtest/gtest.h>

#include "testing/test_program.h"

namespace {

TEST(TextCodeTest, FieldListsHoldOnlyClosedFieldsOfWellFormedLists) {
  const struct {
    std::u16string list;
    int count;                  // FieldCount
    std::u16string second;      // GetField 2
    std::u16string afterFirst;  // FieldsAfterFirst
  } cases[] = {
      // clang-format off
      {u"|a|b|c|", 3, u"b", u"|b|c|"}, {u"|a|b", 1, u"", u"|b"}, {u"a|b|", 1, u"", u"|b|"},
      {u"|a||c|", 3, u"", u"||c|"}, {u"|a|", 1, u"", u"|"}, {u"|", 0, u"", u""},
      {u"", -1, u"", u""}, {u"||x|", 2, u"x", u"|x|"}, {u" |a|b|", 2, u"", u"|a|b|"},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FieldCount(c.list, u"|"), c.count) << Utf8(c.list);
    EXPECT_EQ(GetField(c.list, 2, u"|"), c.second) << Utf8(c.list);
    EXPECT_EQ(FieldsAfterFirst(c.list, u"|"), c.afterFirst) << Utf8(c.list);
  }
  EXPECT_EQ(GetField(u"|a|b|c|", 0, u"|") + GetField(u"|a|b|c|", 4, u"|") +
                GetField(u"|a|b", 1, u"|") + GetField(u"::a::b::", 2, u"::"),
            u"ab");
  EXPECT_EQ(AppendField(u"", u"1F", u"|") + AppendField(u"|a|", u"b", u"|") +
                AppendField(u"|a", u"b", u"|"),
            u"|1F||a|b||ab|");
  EXPECT_EQ(CountOf(u"aaa", u"aa") + CountOf(u"", u"|"), 1);  // occurrences never overlap
  EXPECT_EQ(FixLength(u"ab", 5, u"*") + FixLength(u"abcdef", 3, u"*"), u"ab***abc");
}

TEST(TextCodeTest, FileNameOfTakesTheLastComponentAndCutAtNullTheTextBeforeNul) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      // clang-format off
      {u"C:\\DATA\\*.TXT", u"*.TXT"}, {u"/a/b/", u"b"}, {u"A/B\\C", u"C"}, {u"C:", u"C:"},
      {u"\\", u""}, {u"\\\\", u""}, {u"", u""}, {u"*.LOG\\", u"*.LOG"}, {u"D:/X/*.LOG", u"*.LOG"},
      // clang-format on
  };
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(FileNameOf(path), expected) << Utf8(path);
  EXPECT_EQ(CutAtNull(std::u16string(u"abc\0def", 7)) + CutAtNull(u"x") +
                CutAtNull(std::u16string(u"\0y", 2)),
            u"abcx");
}

}  // namespace
