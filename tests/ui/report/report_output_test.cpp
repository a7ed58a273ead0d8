#include "report_output.h"

#include <gtest/gtest.h>

#include "testing/cpu_time.h"
#include "testing/fake_window.h"
#include "testing/test_program.h"

namespace {

TEST(ReportOutputTest, EachFormatShowsTheRunAndQuotesWhatItMust) {
  // "Müller, Erika" is in the file whose name has a comma and quotes; Ilse Weiß also in the one
  // whose name is not UTF-8 ($B, shown with a replacement character). The text report is checked
  // whole on the shipped demo.
  TestProgram program("daten");
  program.Write("Daten/a, \"b\".txt", Cp1252("Brief an Frau MÜLLER und Herrn Weiß"));
  program.Write("Daten/bad\xFFname.txt", Cp1252("Nur Weiß"));
  program.Write("Daten/d.txt", "nichts");
  program.WriteConfig(
      "FILETYPE|*.txt|\r\nFOLDER|/prog/Daten|\r\nNAME|Müller, Erika|müller|\r\n"
      "NAME|Ilse Weiß|Weiß|\r\nFOO|\r\n");
  TestRun run(program);
  run.LoadAndRun();
  run.form->SortPersonList();
  const ReportData data{"/prog/daten.cfg", run.form.get(), run.form->PersonList.Items,
                        run.window.Boxes};
  const std::pair<ReportFormat, std::string> formats[] = {
      {ReportFormat::Csv,
       "person,file\r\n\"Müller, Erika\",\"$R/a, \"\"b\"\".txt\"\r\n"
       "Ilse Weiß,\"$R/a, \"\"b\"\".txt\"\r\nIlse Weiß,$B\r\n"},
      {ReportFormat::Json,
       "{\"config\": \"/prog/daten.cfg\", \"searchMode\": \"BINARY\", "
       "\"encodings\": [\"ANSI\", \"UTF-8\", \"UTF-16\"], \"folderCount\": 1, "
       "\"fileCount\": 3, \"totalSize\": 49, \"allSize\": \"49 B\", \"status\": \"fertig\",\n"
       " \"persons\": [\n  {\"number\": 1, \"name\": \"Müller, Erika\", \"terms\": [\"müller\"], "
       "\"hits\": 1, \"files\": [\"$R/a, \\\"b\\\".txt\"]},\n  {\"number\": 2, \"name\": "
       "\"Ilse Weiß\", \"terms\": [\"Weiß\"], \"hits\": 2, \"files\": [\"$R/a, \\\"b\\\".txt\", "
       "\"$B\"]}],\n \"sortedNames\": [\"Ilse Weiß\", \"Müller, Erika\"],\n \"unreadable\": [],\n"
       " \"notExtracted\": [],\n \"messages\": [{\"title\": \"Fehler\", \"text\": \"Unbekannter "
       "Befehl: "
       "\\\"FOO\\\"\", \"line\": 5}],\n \"coverage\": {\"stopped\": false,\n"},
  };
  // The coverage block, last in the JSON report, is checked on real trees.
  for (const auto& [format, expected] : formats) {
    const std::string report = FormatReport(data, format);
    EXPECT_EQ(report.substr(0, report.find("  \"foldersMissing\"")),
              Replace(Replace(expected, "$B", "$R/bad\xEF\xBF\xBDname.txt"), "$R", "/prog/Daten"));
  }
}

TEST(ReportOutputTest, ControlCharactersAreEscaped) {
  EXPECT_EQ(JsonString("a\\b\nc\td\x01\x7F"), "\"a\\\\b\\nc\\td\\u0001\\u007f\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(CsvField("plain"), "plain");
}

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
  TestRun run(program.Options(LogDestination::None));
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
