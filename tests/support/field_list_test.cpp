#include "support/field_list.h"

#include <gtest/gtest.h>

#include <random>

#include "testing/cpu_time.h"
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

// The one-pass split must give exactly the fields that GetField gives one by one, for lists of
// every shape (unclosed last pieces, no leading separator, empty fields) and separators of more
// than one character, including one made of blanks, which StartsWith pads with.
TEST(TextCodeTest, SplitFieldsGivesWhatGetFieldGivesFieldByField) {
  std::mt19937 random(20261207);
  const std::u16string separators[] = {u"|", u"::", u" ", u"a|"};
  const std::u16string alphabet = u"ab|: ";
  for (int round = 0; round < 4000; ++round) {
    const std::u16string& separator = separators[round % std::size(separators)];
    std::u16string list(random() % 12, u' ');
    for (char16_t& character : list)
      character = alphabet[random() % alphabet.size()];
    if (round % 3 == 0) list.insert(0, separator);
    std::vector<std::u16string> expected;
    for (std::int32_t n = 1; n <= std::max(FieldCount(list, separator), 0); ++n)
      expected.push_back(GetField(list, n, separator));
    // GetField cannot tell a missing field from an empty one; the split knows how many there are.
    const std::vector<std::u16string_view> fields = SplitFields(list, separator);
    for (std::size_t k = 0; k < fields.size(); ++k)
      EXPECT_EQ(fields[k], GetField(list, static_cast<std::int32_t>(k + 1), separator));
    EXPECT_EQ(GetField(list, static_cast<std::int32_t>(fields.size() + 1), separator), u"");
    if (StartsWith(list, separator) && list.size() >= separator.size()) {
      EXPECT_EQ(std::ssize(fields), FieldCount(list, separator)) << Utf8(list);
    } else {
      EXPECT_TRUE(fields.empty()) << Utf8(list);
    }
  }
  // A blank separator "starts" the empty text once padded; there is still no field to take.
  EXPECT_EQ(GetField(u"", 1, u" ") + GetField(u" ", 1, u"  "), u"");
  EXPECT_TRUE(SplitFields(u"", u" ").empty());
}

// Hundreds of thousands of fields in one configuration line must not take minutes: a split that
// went back to the start for every field would need hours for this one.
TEST(TextCodeTest, SplitFieldsTakesAMillionFieldsInOnePass) {
  std::u16string list = u"|";
  for (int field = 0; field < 1'000'000; ++field)
    list += field % 2 == 0 ? u"x|" : u"|";
  const double start = ThreadCpuSeconds();
  const std::vector<std::u16string_view> fields = SplitFields(list, u"|");
  const double took = ThreadCpuSeconds() - start;
  ASSERT_EQ(fields.size(), 1'000'000u);
  EXPECT_EQ(std::u16string(fields[999'998]) + std::u16string(fields[999'999]), u"x");
  EXPECT_LT(took, 5.0);
}

}  // namespace
