#include "report_output.h"

#include <gtest/gtest.h>

#include "testing/test_program.h"

namespace {

std::string Replace(std::string text, const std::string& mark, const std::string& value) {
  for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
    text.replace(at, mark.size(), value);
  return text;
}

TEST(ReportOutputTest, EachFormatShowsTheRunAndQuotesWhatItMust) {
  // "Müller, Erika" is in the file whose name has a comma and quotes; Ilse Weiß also in the one
  // whose name is not UTF-8 ($B, shown with a replacement character).
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
      {ReportFormat::Text,
       "Anzahl Verzeichnisse: 1  Anzahl Dateien: 3  Gesamtgröße: 49 B\nMüller, Erika (1)\n"
       "  $R/a, \"b\".txt\nIlse Weiß (2)\n  $R/a, \"b\".txt\n  $B\n"},
      {ReportFormat::Csv,
       "person,file\r\n\"Müller, Erika\",\"$R/a, \"\"b\"\".txt\"\r\n"
       "Ilse Weiß,\"$R/a, \"\"b\"\".txt\"\r\nIlse Weiß,$B\r\n"},
      {ReportFormat::Json,
       "{\"config\": \"/prog/daten.cfg\", \"searchMode\": \"BINARY\", \"folderCount\": 1, "
       "\"fileCount\": 3, \"totalSize\": 49, \"allSize\": \"49 B\", \"status\": \"fertig\",\n"
       " \"persons\": [\n  {\"number\": 1, \"name\": \"Müller, Erika\", \"terms\": [\"müller\"], "
       "\"hits\": 1, \"files\": [\"$R/a, \\\"b\\\".txt\"]},\n  {\"number\": 2, \"name\": "
       "\"Ilse Weiß\", \"terms\": [\"Weiß\"], \"hits\": 2, \"files\": [\"$R/a, \\\"b\\\".txt\", "
       "\"$B\"]}],\n \"sortedNames\": [\"Ilse Weiß\", \"Müller, Erika\"],\n \"unreadable\": [],\n"
       " \"messages\": [{\"title\": \"Fehler\", \"text\": \"Unbekannter Befehl: "
       "\\\"FOO\\\"\"}]}\n"},
  };
  for (const auto& [format, expected] : formats) {
    EXPECT_EQ(FormatReport(data, format),
              Replace(Replace(expected, "$B", "$R/bad\xEF\xBF\xBDname.txt"), "$R", "/prog/Daten"));
  }
}

TEST(ReportOutputTest, ControlCharactersAreEscaped) {
  EXPECT_EQ(JsonString("a\\b\nc\td\x01\x7F"), "\"a\\\\b\\nc\\td\\u0001\\u007f\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(CsvField("plain"), "plain");
}

}  // namespace
