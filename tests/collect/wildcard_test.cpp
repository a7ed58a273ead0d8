#include <gtest/gtest.h>

#include <string>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

struct MatchCase {
  std::u16string pattern;
  std::u16string name;
  bool matches;
};

TEST(WildcardTest, PlacesEveryLiteralRunAtItsFirstOccurrence) {
  const MatchCase cases[] = {
      {u"*.TXT", u"A.TXT", true},
      {u"*.TXT", u"A.TXT.BAK", false},
      {u"*.TXT", u"A.TXT.TXT", false},
      {u"*.TXT", u".TXT", true},
      {u"*.*", u"README", false},
      {u"*.*", u"A.B.C", true},
      {u"A?C", u"ABC", true},
      {u"A?C", u"AC", false},
      {u"A?C", u"ABBC", false},
      {u"ABC", u"ABC", true},
      {u"ABC", u"ABCD", false},
      {u"ABC", u"XABC", false},
      {u"*", u"ABC", true},
      {u"*", u"", true},
      {u"?", u"A", true},
      {u"?", u"AB", false},
      {u"??.DOC", u"AB.DOC", true},
      {u"??.DOC", u"A.DOC", false},
      {u"*A*B", u"XAYB", true},
      {u"*A*B", u"AB", true},
      {u"*A*B", u"XAYBZB", false},
      {u"?A", u"BA", true},
      {u"?A", u"AA", false},
      {u"?*A", u"AXA", false},
      {u"A*A", u"ABA", true},
      {u"A*A", u"A", false},
      {u"REPORT*.DOC", u"REPORT_2004.DOC", true},
      {u"REPORT*.DOC", u"REPORT.DOC.DOC", false},
      {u"", u"", true},
      {u"", u"A", false},
      // Further cases: the order inside a wildcard run does not matter, and runs of wildcards
      // only count characters.
      {u"*A", u"BAA", false},
      {u"*?", u"", false},
      {u"?*", u"A", true},
      {u"*?", u"ABC", true},
      {u"**", u"", true},
      {u"???", u"ABC", true},
      {u"???", u"AB", false},
      {u"A??*C", u"AXC", false},
      {u"A??*C", u"AXYC", true},
      {u"A?C", u"A*C", true},   // a wildcard character in a name is just a character
      {u"abc", u"ABC", false},  // exact comparison; upper-casing is the caller's part
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MainForm::MatchPattern(c.name, c.pattern), c.matches)
        << "pattern \"" << Utf8(c.pattern) << "\", name \"" << Utf8(c.name) << "\"";
  }
}

TEST(WildcardTest, LiteralRunsAreFoundAndMeasuredAsTheTracesPlaceThem) {
  struct Case {
    std::u16string rest;  // what is left of the pattern on one pass of the scan
    std::int32_t position;
    std::int32_t length;
  };
  const Case cases[] = {
      // "A?C" against "ABC", pass by pass, then "*.TXT" against "A.TXT.TXT".
      {u"A?C", 1, 1},
      {u"?C", 2, 1},
      {u"", 0, 0},
      {u"*.TXT", 2, 4},
      // A run ends at the first wildcard; the whole rest counts when none follows.
      {u"*?*", 0, 0},
      {u"AB*C", 1, 2},
      {u"?*AB?C", 3, 2},
      {u"ABC", 1, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MainForm::FirstLiteralPos(c.rest), c.position) << Utf8(c.rest);
    if (c.position != 0) {
      EXPECT_EQ(MainForm::LiteralLength(c.rest, c.position), c.length) << Utf8(c.rest);
    }
  }
  EXPECT_EQ(MainForm::LiteralLength(u"AB*CD", 4), 2);
  EXPECT_EQ(MainForm::LiteralLength(u"AB", 3), 0);  // a start past the end holds no run
}

}  // namespace
