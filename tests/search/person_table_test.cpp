#include <gtest/gtest.h>

#include <chrono>

#include "testing/fake_window.h"
#include "testing/test_program.h"

namespace {

/// A loaded form whose log goes nowhere, so many configuration lines cost no file writes.
struct QuietRun {
  QuietRun() {
    MainFormOptions options = program.Options();
    options.Log = LogDestination::None;
    run = std::make_unique<TestRun>(std::move(options));
    run->form->Form_Load();
  }
  MainForm& form() { return *run->form; }

  TestProgram program;
  std::unique_ptr<TestRun> run;
};

TEST(PersonTableTest, TheFirstDeclarationOfANameWinsAndLookupsAreExact) {
  QuietRun quiet;
  MainForm& form = quiet.form();
  for (const char16_t* line :
       {u"NAME|Nord|a|", u"NAME|nord|b|", u"NAME|Nord|c|", u"NAME||d|", u"NAME|Süd|", u"NAME||e|"})
    form.ExecConfigLine(line);

  ASSERT_EQ(form.Persons.size(), 5u);
  EXPECT_EQ(form.PersonList.Items, (std::vector<std::u16string>{u"Nord", u"nord", u"", u"Süd"}));
  EXPECT_EQ(form.Persons[1].Terms + form.Persons[3].Terms, u"|a||d|");
  const std::pair<std::u16string, std::int32_t> lookups[] = {
      {u"Nord", 1}, {u"nord", 2}, {u"", 3}, {u"Süd", 4}, {u"Nord ", 0}, {u"NORD", 0}, {u"S", 0},
  };
  for (const auto& [name, number] : lookups) {
    EXPECT_EQ(form.FindPerson(name), number) << Utf8(name);
    EXPECT_EQ(form.IsNewPerson(name), number == 0) << Utf8(name);
  }
}

// A new run starts the table afresh; entries appended to the table directly are found as well.
TEST(PersonTableTest, LookupsFollowTheTableWhenItIsResetOrFilledDirectly) {
  QuietRun quiet;
  MainForm& form = quiet.form();
  EXPECT_EQ(form.FindPerson(u""), 0);
  form.AddPerson(u"A", u"|");
  form.AddPerson(u"B", u"|");
  EXPECT_EQ(form.FindPerson(u"B"), 2);

  form.Form_Load();
  form.Persons.push_back({u"C", u"|", u"|"});
  form.Persons.push_back({u"B", u"|", u"|"});
  EXPECT_EQ(form.FindPerson(u"A"), 0);
  EXPECT_EQ(form.FindPerson(u"B"), 2);
  EXPECT_EQ(form.FindPerson(u"C"), 1);
  form.AddPerson(u"A", u"|x|");
  form.AddPerson(u"C", u"|y|");
  EXPECT_EQ(form.FindPerson(u"A"), 3);
  EXPECT_EQ(form.Persons.size(), 4u);
}

// Declaring persons must stay linear: comparing each NAME line with every earlier name took ten
// seconds for this many.
TEST(PersonTableTest, AHundredThousandNameLinesAreDeclaredQuickly) {
  QuietRun quiet;
  MainForm& form = quiet.form();
  constexpr int kLines = 100'000;
  const auto start = std::chrono::steady_clock::now();
  for (int line = 0; line < kLines; ++line) {
    // Every tenth line repeats an earlier name with other terms, which must change nothing.
    const int name = line % 10 == 9 ? line - 9 : line;
    form.ExecConfigLine(u"NAME|Person " + U16(std::to_string(name)) + u"|" +
                        U16(std::to_string(line)) + u"|");
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(form.Persons.size(), 1u + kLines - kLines / 10);
  EXPECT_EQ(form.FindPerson(u"Person 4"), 5);
  EXPECT_EQ(form.Persons[5].Terms, u"|4|");
  EXPECT_EQ(form.FindPerson(u"Person 99998"), static_cast<std::int32_t>(form.Persons.size()) - 1);
  EXPECT_LT(took.count(), 5.0);
}

}  // namespace
