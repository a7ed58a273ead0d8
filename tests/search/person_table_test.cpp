#include <gtest/gtest.h>

#include "testing/cpu_time.h"
#include "testing/fake_window.h"
#include "testing/test_program.h"

namespace {

/// A loaded form whose log goes nowhere, so many configuration lines cost no file writes.
struct QuietRun {
  QuietRun() { run.form->Form_Load(); }
  MainForm& form() { return *run.form; }

  TestProgram program;
  TestRun run{program.Options(LogDestination::None)};
};

// Lookups are exact and find the first declaration; they follow the table when a new run starts
// it afresh and when entries are appended to it directly.
TEST(PersonTableTest, LookupsAreExactAndFollowTheTable) {
  QuietRun quiet;
  MainForm& form = quiet.form();
  for (const char16_t* line : {u"NAME|Nord|a|", u"NAME|nord|b|", u"NAME||d|"})
    form.ExecConfigLine(line);
  EXPECT_EQ(std::vector({form.FindPerson(u"nord"), form.FindPerson(u""), form.FindPerson(u"Nord "),
                         form.FindPerson(u"NORD")}),
            std::vector({2, 3, 0, 0}));
  form.Form_Load();
  form.Persons.push_back({u"nord", u"|", u"|"});
  EXPECT_EQ(form.FindPerson(u"Nord") + form.FindPerson(u""), 0);
  EXPECT_EQ(form.FindPerson(u"nord"), 1);
  form.AddPerson(u"Nord", u"|x|");
  form.AddPerson(u"nord", u"|y|");
  EXPECT_EQ(form.FindPerson(u"Nord"), 2);
  EXPECT_EQ(form.Persons.size(), 3u);
}

// Declaring persons must stay linear: comparing each NAME line with every earlier name took ten
// seconds for this many.
TEST(PersonTableTest, AHundredThousandNameLinesAreDeclaredQuickly) {
  QuietRun quiet;
  MainForm& form = quiet.form();
  constexpr int kLines = 100'000;
  const double start = ThreadCpuSeconds();
  for (int line = 0; line < kLines; ++line) {
    // Every tenth line repeats an earlier name with other terms, which must change nothing.
    const int name = line % 10 == 9 ? line - 9 : line;
    form.ExecConfigLine(u"NAME|Person " + U16(std::to_string(name)) + u"|" +
                        U16(std::to_string(line)) + u"|");
  }
  const double took = ThreadCpuSeconds() - start;
  EXPECT_EQ(form.Persons.size(), 1u + kLines - kLines / 10);
  EXPECT_EQ(form.FindPerson(u"Person 4"), 5);
  EXPECT_EQ(form.Persons[5].Terms, u"|4|");
  EXPECT_EQ(form.FindPerson(u"Person 99998"), static_cast<std::int32_t>(form.Persons.size()) - 1);
  EXPECT_LT(took, 10.0);  // comparing with every earlier name needs far longer
}

}  // namespace
