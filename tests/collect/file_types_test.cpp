#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

TEST(FileTypesTest, FirstRuleThatAcceptsNameAndSizeWins) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr double kFiveGiB = 5368709120.0;
  const struct {
    std::u16string pattern;
    double maxSize;
    std::int64_t stored;
  } rules[] = {
      // clang-format off
      {u"*.txt", 1000, 1000}, {u"C:\\Archive\\*.TXT", -1, -1}, {u"*.DOC", 0, 0},
      {U16("ärger*"), -1, -1}, {u"*.A", 2.5, 2}, {u"*.B", 3.5, 4}, {u"*.C", -5, -5},
      {u"*.D", -1.5, -2}, {u"*.BIG", kFiveGiB, 5368709120}, {u"*.HUGE", 1e30, kMax},
      {u"*.NEG", -1e30, -kMax - 1}, {u"*.NAN", std::nan(""), -1},
      // clang-format on
  };
  const struct {
    std::u16string name;
    double size;
    std::int32_t expected;
  } queries[] = {
      // clang-format off
      {u"Notes.txt", 1000, 1}, {u"Notes.txt", 1001, 2}, {u"Empty.doc", 0, 3},
      {u"Letter.doc", 10, 0}, {u"Notes.txt.bak", 0, 0}, {u"README.TXT", 5, 1},
      {u"readme.Txt", 5, 1}, {U16("Ärger.doc"), 1, 4}, {u"arger.doc", 1, 0},
      {u"x.a", 2, 5}, {u"x.a", 3, 0}, {u"x.b", 4, 6}, {u"x.b", 5, 0}, {u"x.c", 1e12, 7},
      {u"x.big", kFiveGiB, 9}, {u"x.big", kFiveGiB + 1, 0},
      {u"x.big", 3221225472.0, 9},  // 3 GiB: negative if cut to 32 bits
      {u"x.huge", 1e15, 10}, {u"x.neg", 1e15, 11}, {u"x.nan", 1e15, 12},
      // clang-format on
  };
  TestProgram program;
  TestRun run(program);
  run.form->Form_Load();
  for (const auto& rule : rules)
    run.form->AddFileType(rule.pattern, rule.maxSize);
  for (std::size_t rule = 0; rule < std::size(rules); ++rule)
    EXPECT_EQ(run.form->FileTypes[rule + 1].MaxSize, rules[rule].stored) << "rule " << rule + 1;
  EXPECT_EQ(run.form->FileTypes[2].Pattern, u"C:\\ARCHIVE\\*.TXT");
  for (const auto& query : queries) {
    FileSize size(static_cast<std::int64_t>(query.size));
    EXPECT_EQ(run.form->GetFileType(query.name, size), query.expected)
        << Utf8(query.name) << " of " << query.size << " bytes";
  }
}

TEST(WildcardTest, PlacesEveryLiteralRunAtItsFirstOccurrence) {
  const struct {
    std::u16string pattern, name;
    bool matches;
  } cases[] = {
      // clang-format off
      {u"*.TXT", u"A.TXT", true}, {u"*.TXT", u"A.TXT.BAK", false}, {u"*.TXT", u"A.TXT.TXT", false},
      {u"*.TXT", u".TXT", true}, {u"*.*", u"README", false}, {u"*.*", u"A.B.C", true},
      {u"A?C", u"ABC", true}, {u"A?C", u"AC", false}, {u"A?C", u"ABBC", false},
      {u"ABC", u"ABC", true}, {u"ABC", u"ABCD", false}, {u"ABC", u"XABC", false},
      {u"*", u"ABC", true}, {u"*", u"", true}, {u"?", u"A", true}, {u"?", u"AB", false},
      {u"??.DOC", u"AB.DOC", true}, {u"??.DOC", u"A.DOC", false}, {u"*A*B", u"XAYB", true},
      {u"*A*B", u"AB", true}, {u"*A*B", u"XAYBZB", false}, {u"?A", u"BA", true},
      {u"?A", u"AA", false}, {u"?*A", u"AXA", false}, {u"A*A", u"ABA", true},
      {u"A*A", u"A", false}, {u"REPORT*.DOC", u"REPORT_2004.DOC", true},
      {u"REPORT*.DOC", u"REPORT.DOC.DOC", false}, {u"", u"", true}, {u"", u"A", false},
      // The order inside a wildcard run does not matter, and runs of wildcards only count.
      {u"*A", u"BAA", false}, {u"*?", u"", false}, {u"?*", u"A", true}, {u"**", u"", true},
      {u"???", u"AB", false}, {u"A??*C", u"AXC", false}, {u"A??*C", u"AXYC", true},
      // A wildcard character in a name is just a character; upper-casing is the caller's part.
      {u"A?C", u"A*C", true}, {u"abc", u"ABC", false},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MainForm::MatchPattern(c.name, c.pattern), c.matches)
        << "pattern \"" << Utf8(c.pattern) << "\", name \"" << Utf8(c.name) << "\"";
  }
}

}  // namespace
