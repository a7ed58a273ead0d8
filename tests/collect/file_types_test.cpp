#include "collect/file_type_rules.h"

#include <gtest/gtest.h>

#include <cmath>

#include "collect/wildcard.h"
#include "platform/code_page.h"
#include "testing/test_program.h"

namespace {

// Names are upper-cased and matched with a pattern's name part; limits are whole bytes (half to
// even), inclusive, beyond 32 bits, saturated past 64 bits; negative or NaN means any size.
TEST(FileTypeRulesTest, FirstRuleThatAcceptsNameAndSizeWins) {
  constexpr double kFiveGiB = 5368709120.0;
  // clang-format off
  const std::pair<std::u16string, double> rules[] = {
      {u"*.txt", 1000}, {u"C:\\Archive\\*.TXT", -1}, {u"*.DOC", 0}, {U16("ärger*"), -1},
      {u"*.A", 2.5}, {u"*.B", 3.5}, {u"*.C", -1.5}, {u"*.D", kFiveGiB}, {u"*.E", 1e30},
      {u"*.F", -1e30}, {u"*.G", std::nan("")}};  // clang-format on
  // The index of the rule that takes the file, or why none does; 3 GiB is negative in 32 bits.
  constexpr int kNoPattern = -1, kTooLarge = -2;
  // clang-format off
  const std::tuple<std::u16string, double, int> files[] = {
      {u"Notes.txt", 1000, 0}, {u"Notes.txt", 1001, 1}, {u"Empty.doc", 0, 2},
      {u"Letter.doc", 10, kTooLarge}, {u"Notes.txt.bak", 0, kNoPattern}, {u"README.TXT", 5, 0},
      {u"readme.Txt", 5, 0}, {U16("Ärger.doc"), 1, 3}, {u"arger.doc", 1, kTooLarge},
      {u"x.a", 2, 4}, {u"x.a", 3, kTooLarge}, {u"x.b", 4, 5}, {u"x.b", 5, kTooLarge},
      {u"x.c", 1e12, 6}, {u"x.d", kFiveGiB, 7}, {u"x.d", kFiveGiB + 1, kTooLarge},
      {u"x.d", 3221225472.0, 7}, {u"x.e", 1e15, 8}, {u"x.f", 1e15, 9},
      {u"x.g", 1e15, 10}};  // clang-format on
  FileTypeRules types(platform::Windows1252CodePage());
  for (const auto& [pattern, maxSize] : rules)
    types.Add(pattern, maxSize);
  for (const auto& [name, bytes, expected] : files) {
    FileSize size(static_cast<std::int64_t>(bytes));
    FileRejection why = FileRejection::NoPattern;
    const std::optional<std::size_t> rule = types.RuleFor(name, size, &why);
    const int taken = why == FileRejection::NoPattern ? kNoPattern : kTooLarge;
    EXPECT_EQ(rule ? static_cast<int>(*rule) : taken, expected) << Utf8(name) << " " << bytes;
  }
}

TEST(WildcardTest, PlacesEveryLiteralRunAtItsFirstOccurrence) {
  // clang-format off
  const std::tuple<std::u16string, std::u16string, bool> cases[] = {
      {u"*.TXT", u"A.TXT", true}, {u"*.TXT", u"A.TXT.BAK", false}, {u"*.TXT", u"A.TXT.TXT", false},
      {u"*.TXT", u".TXT", true}, {u"*.*", u"README", false}, {u"*.*", u"A.B.C", true},
      {u"A?C", u"ABC", true}, {u"A?C", u"AC", false}, {u"A?C", u"ABBC", false},
      {u"ABC", u"ABCD", false}, {u"ABC", u"XABC", false}, {u"*", u"", true}, {u"?", u"AB", false},
      {u"??.DOC", u"AB.DOC", true}, {u"??.DOC", u"A.DOC", false}, {u"*A*B", u"XAYB", true},
      {u"*A*B", u"AB", true}, {u"*A*B", u"XAYBZB", false}, {u"?A", u"BA", true},
      {u"?A", u"AA", false}, {u"A*A", u"ABA", true}, {u"A*A", u"A", false},
      {u"REPORT*.DOC", u"REPORT.DOC.DOC", false}, {u"", u"", true}, {u"", u"A", false},
      // The order inside a wildcard run does not matter, and runs of wildcards only count.
      {u"?*A", u"AXA", false}, {u"*A", u"BAA", false}, {u"*?", u"", false}, {u"**", u"", true},
      {u"???", u"AB", false}, {u"A??*C", u"AXC", false}, {u"A??*C", u"AXYC", true},
      // A wildcard character in a name is just a character; upper-casing is the caller's part.
      {u"A?C", u"A*C", true}, {u"abc", u"ABC", false}};  // clang-format on
  for (const auto& [pattern, name, matches] : cases)
    EXPECT_EQ(MatchPattern(name, pattern), matches) << Utf8(pattern) << " on " << Utf8(name);
}

}  // namespace
