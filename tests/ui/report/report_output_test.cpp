#include "report_output.h"

#include <gtest/gtest.h>

#include "testing/cpu_time.h"
#include "testing/fake_window.h"
#include "testing/test_program.h"

namespace {

// A crafted file name must not move the cursor, clear a line, start a new one or switch the
// terminal's state: every control is shown as an escape, everything else as it is.
TEST(ReportOutputTest, TextFieldsEscapeEveryControlAndLineSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain/Müller ä €.txt", "plain/Müller ä €.txt"},
      {"a\nb\rc\td", "a\\x0Ab\\x0Dc\\x09d"},
      {"\x1B[2K\x1B]0;x\x07", "\\x1B[2K\\x1B]0;x\\x07"},
      {std::string("\0\x0B\x0C\x7F", 4), "\\x00\\x0B\\x0C\\x7F"},
      {"nel\xC2\x85 csi\xC2\x9B st\xC2\x9C", "nel\\u0085 csi\\u009B st\\u009C"},
      {"\xC2\x80\xC2\x9F\xC2\xA0\xC2\xBF", "\\u0080\\u009F\xC2\xA0\xC2\xBF"},  // NBSP, ¿ stay
      {"ls\xE2\x80\xA8ps\xE2\x80\xA9", "ls\\u2028ps\\u2029"},
      {"\xE2\x80\xA7\xE2\x82\xAC", "\xE2\x80\xA7\xE2\x82\xAC"},  // U+2027 and the euro
      {"a\\x1B", "a\\x1B"},
      {"", ""},
  };
  for (const auto& [name, shown] : cases)
    EXPECT_EQ(TextField(name), shown) << name;
}

// A person with a quarter of a million search terms is reported in one pass over the list, not one
// pass per term.
TEST(ReportOutputTest, AQuarterMillionTermsAreReportedQuickly) {
  TestProgram program;
  MainFormOptions options = program.Options();
  options.Log = LogDestination::None;
  TestRun run(std::move(options));
  run.form->Form_Load();
  std::u16string terms = u"|";
  for (int term = 0; term < 250'000; ++term)
    terms += u"x|";
  run.form->Persons.push_back({u"P", terms, u"|"});
  const ReportData data{"a.cfg", run.form.get(), {u"P"}, {}};
  const double start = ThreadCpuSeconds();
  const std::string json = FormatReport(data, ReportFormat::Json);
  const double took = ThreadCpuSeconds() - start;
  const std::string oneTerm = "\"x\"";
  std::size_t count = 0;
  for (std::size_t at = json.find(oneTerm); at != std::string::npos;
       at = json.find(oneTerm, at + 1))
    ++count;
  EXPECT_EQ(count, 250'000u);
  EXPECT_LT(took, 5.0);
}

}  // namespace
