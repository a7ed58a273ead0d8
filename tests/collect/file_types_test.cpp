#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

struct Rule {
  std::u16string pattern;
  double maxSize;
};

struct Query {
  std::u16string name;
  double size;
  std::int32_t expected;
};

/// A loaded form with the given rules added in order.
struct Rules {
  explicit Rules(const std::vector<Rule>& rules) : run(program) {
    run.form->Form_Load();
    for (const auto& rule : rules)
      run.form->AddFileType(rule.pattern, rule.maxSize);
  }
  void Check(const std::vector<Query>& queries) const {
    for (const auto& query : queries) {
      EXPECT_EQ(run.form->GetFileType(query.name, query.size), query.expected)
          << Utf8(query.name) << " of " << query.size << " bytes";
    }
  }
  TestProgram program;
  TestRun run;
};

TEST(FileTypesTest, FirstRuleThatAcceptsNameAndSizeWins) {
  const Rules rules({{u"*.txt", 1000}, {u"C:\\Archive\\*.TXT", -1}, {u"*.DOC", 0}});
  EXPECT_EQ(rules.run.form->FileTypes[1].Pattern, u"*.TXT");
  EXPECT_EQ(rules.run.form->FileTypes[1].MaxSize, 1000);
  EXPECT_EQ(rules.run.form->FileTypes[2].Pattern, u"C:\\ARCHIVE\\*.TXT");
  EXPECT_EQ(rules.run.form->FileTypes[2].MaxSize, -1);
  rules.Check({
      {u"Notes.txt", 1000, 1},
      {u"Notes.txt", 1001, 2},
      {u"Empty.doc", 0, 3},
      {u"Letter.doc", 10, 0},
      {u"Notes.txt.bak", 0, 0},
      {u"README.TXT", 5, 1},
      {u"readme.Txt", 5, 1},
  });
}

TEST(FileTypesTest, LimitsAreRoundedHalfToEvenAndNegativeMeansAnySize) {
  const Rules rules({{u"*.A", 2.5}, {u"*.B", 3.5}, {u"*.C", -5}, {u"*.D", -1.5}});
  const std::int64_t expected[] = {2, 4, -5, -2};
  for (std::size_t rule = 0; rule < 4; ++rule) {
    EXPECT_EQ(rules.run.form->FileTypes[rule + 1].MaxSize, expected[rule]) << rule + 1;
  }
  rules.Check({{u"x.a", 2, 1}, {u"x.a", 3, 0}, {u"x.b", 4, 2}, {u"x.b", 5, 0}, {u"x.c", 1e12, 3}});
}

TEST(FileTypesTest, OnlyTheLastComponentIsMatchedAndLettersBeyondAsciiFoldAlike) {
  const Rules rules({{u"D:\\X\\*.LOG", 10},
                     {u"D:/X/*.LOG", 20},
                     {u"*.LOG\\", 30},
                     {u"\\", -1},
                     {U16("ärger*"), -1}});
  EXPECT_EQ(rules.run.form->FileTypes[5].Pattern, U16("ÄRGER*"));
  rules.Check({{u"a.log", 10, 1},
               {u"a.log", 20, 2},
               {u"a.log", 30, 3},
               {u"a.log", 31, 0},
               {u"X", 0, 0},
               {U16("Ärger.doc"), 1, 5},
               {U16("ärger.doc"), 1, 5},
               {u"arger.doc", 1, 0}});
}

TEST(FileTypesTest, LimitsBeyondThirtyTwoBitsStayLimits) {
  const double fiveGiB = 5368709120.0;
  const Rules rules(
      {{u"*.BIG", fiveGiB}, {u"*.HUGE", 1e30}, {u"*.NEG", -1e30}, {u"*.NAN", std::nan("")}});
  EXPECT_EQ(rules.run.form->FileTypes[1].MaxSize, 5368709120);
  EXPECT_EQ(rules.run.form->FileTypes[2].MaxSize, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(rules.run.form->FileTypes[3].MaxSize, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(rules.run.form->FileTypes[4].MaxSize, -1);
  rules.Check({
      {u"a.big", fiveGiB, 1},
      {u"a.big", fiveGiB + 1, 0},
      {u"a.big", 3221225472.0, 1},  // 3 GiB: negative if cut to 32 bits
      {u"a.huge", 1e15, 2},
      {u"a.neg", 1e15, 3},
      {u"a.nan", 1e15, 4},
  });
}

}  // namespace
