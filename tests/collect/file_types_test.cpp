#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

struct Query {
  std::u16string name;
  double size;
  std::int32_t expected;
};

/// Adds the rules to a freshly loaded form and asks GetFileType each query.
void ExpectTypes(const std::vector<std::pair<std::u16string, double>>& rules,
                 const std::vector<std::int64_t>& stored, const std::vector<Query>& queries) {
  TestProgram program;
  TestRun run(program);
  run.form->Form_Load();
  for (const auto& [pattern, maxSize] : rules)
    run.form->AddFileType(pattern, maxSize);
  for (std::size_t rule = 0; rule < stored.size(); ++rule)
    EXPECT_EQ(run.form->FileTypes[rule + 1].MaxSize, stored[rule]) << "rule " << rule + 1;
  for (const auto& query : queries) {
    EXPECT_EQ(run.form->GetFileType(query.name, query.size), query.expected)
        << Utf8(query.name) << " of " << query.size << " bytes";
  }
}

TEST(FileTypesTest, FirstRuleThatAcceptsNameAndSizeWins) {
  ExpectTypes({{u"*.txt", 1000}, {u"C:\\Archive\\*.TXT", -1}, {u"*.DOC", 0}, {U16("ärger*"), -1}},
              {1000, -1, 0, -1},
              {{u"Notes.txt", 1000, 1},
               {u"Notes.txt", 1001, 2},
               {u"Empty.doc", 0, 3},
               {u"Letter.doc", 10, 0},
               {u"Notes.txt.bak", 0, 0},
               {u"README.TXT", 5, 1},
               {u"readme.Txt", 5, 1},
               {U16("Ärger.doc"), 1, 4},
               {u"arger.doc", 1, 0}});
}

TEST(FileTypesTest, LimitsRoundHalfToEvenStayLimitsBeyondThirtyTwoBitsAndNegativeIsAnySize) {
  const double fiveGiB = 5368709120.0;
  ExpectTypes({{u"*.A", 2.5},
               {u"*.B", 3.5},
               {u"*.C", -5},
               {u"*.D", -1.5},
               {u"*.BIG", fiveGiB},
               {u"*.HUGE", 1e30},
               {u"*.NEG", -1e30},
               {u"*.NAN", std::nan("")}},
              {2, 4, -5, -2, 5368709120, std::numeric_limits<std::int64_t>::max(),
               std::numeric_limits<std::int64_t>::min(), -1},
              {{u"x.a", 2, 1},
               {u"x.a", 3, 0},
               {u"x.b", 4, 2},
               {u"x.b", 5, 0},
               {u"x.c", 1e12, 3},
               {u"a.big", fiveGiB, 5},
               {u"a.big", fiveGiB + 1, 0},
               {u"a.big", 3221225472.0, 5},  // 3 GiB: negative if cut to 32 bits
               {u"a.huge", 1e15, 6},
               {u"a.neg", 1e15, 7},
               {u"a.nan", 1e15, 8}});
}

}  // namespace
