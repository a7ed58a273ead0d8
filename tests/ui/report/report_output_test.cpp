#include "report_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "platform/utf8.h"
#include "testing/cpu_time.h"
#include "testing/process.h"
#include "testing/test_program.h"

namespace {

// A crafted name must not break its line of the text report (move the cursor, clear a line, start
// a new one, switch the terminal's state), disguise itself (turn "exe.txt" around, hide a
// character) or look like another name, its JSON string or its CSV record.
TEST(ReportOutputTest, EveryFieldEscapesWhatWouldBreakItsFormat) {
  const std::pair<std::string, std::string> texts[] = {
      {"plain/Müller ä €.txt \xE2\x80\xA7 C:\\users\\xml\\Briefe\\ \\\\server\\share",
       "plain/Müller ä €.txt \xE2\x80\xA7 C:\\users\\xml\\Briefe\\ \\\\server\\share"},
      // Bytes that are not UTF-8 as themselves, and backslashes before what would read as an
      // escape doubled: the name "a\xFF" in letters never looks like the byte.
      {"a\xFF.txt a\xFE a\xC3 \xED\xA0\x80", "a\\xFF.txt a\\xFE a\\xC3 \\xED\\xA0\\x80"},
      {"a\\xFF a\\u00e4 a\\\\ a\\\x1B a\\\xFF \\\\xAB",
       "a\\\\xFF a\\\\u00e4 a\\\\ a\\\\\\x1B a\\\\\\xFF \\\\\\\\xAB"},
      // Bidirectional controls and invisible characters, but not the visible ones beside them.
      {"bidi\u202Etxt.exe \u061C\u200E\u200F\u202A\u2066\u2069 \u200B\u200D\u2060\uFEFF "
       "\u2010\u2065",
       "bidi\\u202Etxt.exe \\u061C\\u200E\\u200F\\u202A\\u2066\\u2069 \\u200B\\u200D\\u2060\\uFEFF "
       "\u2010\u2065"},
      {"a\nb\rc\td\x1B[2K\x1B]0;x\x07" + std::string("\0\x0B\x7F", 3),
       "a\\x0Ab\\x0Dc\\x09d\\x1B[2K\\x1B]0;x\\x07\\x00\\x0B\\x7F"},
      // C1 controls, but not the no-break space and the inverted question mark.
      {"nel\xC2\x85 csi\xC2\x9B \xC2\x80\xC2\x9F\xC2\xA0\xC2\xBF",
       "nel\\u0085 csi\\u009B \\u0080\\u009F\xC2\xA0\xC2\xBF"},
      {"ls\xE2\x80\xA8ps\xE2\x80\xA9", "ls\\u2028ps\\u2029"},
  };
  for (const auto& [name, shown] : texts)
    EXPECT_EQ(TextField(name), shown) << name;
  EXPECT_EQ(JsonString("a\\b\"\nc\td\x01\x7F"), "\"a\\\\b\\\"\\nc\\td\\u0001\\u007f\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  // The exact bytes of a name that is not UTF-8 beside it.
  EXPECT_EQ(JsonPath("path", platform::FromUtf8("a\xFF.txt")),
            "\"path\": \"a\xEF\xBF\xBD.txt\", \"pathBytes\": \"Yf8udHh0\"");
  EXPECT_EQ(JsonPath("file", platform::FromUtf8("\xFE\xFFxy")),
            "\"file\": \"\xEF\xBF\xBD\xEF\xBF\xBDxy\", \"fileBytes\": \"/v94eQ==\"");
}

// No two names of backslashes, escape letters, hex digits and escaped characters print alike.
TEST(ReportOutputTest, NoTwoNamesPrintAlike) {
  std::vector<std::string> names{""};
  for (std::size_t at = 0; names[at].size() < 5; ++at)
    for (const char* piece : {"\\", "x", "u", "F", "1", "B", "\xFF", "\x1B"})
      names.push_back(names[at] + piece);
  std::map<std::string, std::string> shown;
  for (const std::string& name : names) {
    const auto [earlier, fresh] = shown.emplace(TextField(name), name);
    EXPECT_TRUE(fresh) << name << " prints as " << earlier->second;
  }
}

// A person with a quarter of a million search terms is reported in one pass over the list, not one
// pass per term.
TEST(ReportOutputTest, AQuarterMillionTermsAreReportedQuickly) {
  TestProgram program;
  ConsoleObserver observer("a.cfg");
  RunSession session(program.Options(LogDestination::None), observer);
  session.Load();
  std::u16string line = u"NAME|P|";
  for (int term = 0; term < 250'000; ++term)
    line += u"q|";
  session.ExecuteLine(line);
  const double start = ThreadCpuSeconds();
  const std::string json = FormatReport({"a.cfg", &session, {}}, ReportFormat::Json);
  EXPECT_LT(ThreadCpuSeconds() - start, 5.0);
  EXPECT_EQ(std::ranges::count(json, 'q'), 250'000);  // no key has a "q"
}

std::string Contents(const std::string& file) {
  return (std::stringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
}

// The built program on the demo as each package ships it; under Windows a UTF-8 configuration
// with the byte order mark that names every encoding the demo's files are written in.
TEST(ReportOutputTest, TheShippedDemoGivesItsDocumentedResult) {
  const std::string examples = FUNDORT_SOURCE_DIR "/examples";
#ifdef _WIN32
  const std::string demo = Replace(examples, "/", "\\") + "\\demo", separator = "\\";
  const std::string config =
      Replace(Contents(examples + "/windows/fundort.cfg"), "|demo\\|", "|" + demo + "\\|");
#else
  const std::string demo = examples + "/demo", separator = "/";
  const std::string config = Replace(Contents(examples + "/fundort.cfg"), "@DEMO@", demo);
#endif
  TempDir dir;
  const ProcessResult result = RunProcess(
      {FUNDORT_REPORT_BINARY, "--no-log", Utf8(dir.Write("fundort.cfg", config).u16string())});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(Replace(result.Out, demo, "@"),
            Replace("Anzahl Verzeichnisse: 4  Anzahl Dateien: 7  Gesamtgröße: 994 B\n"
                    "Erika Müller (2)\n  @/Briefe/2024-03-01 Anschreiben Müller.txt\n"
                    "  @/Notizen/Telefonnotiz 2024-05-02.txt\nJürgen Schröder (4)\n"
                    "  @/Briefe/2024-04-12 Mahnung.txt\n  @/Notizen/Besprechung Hausmeister.md\n"
                    "  @/Rechnungen/R-2024-117.csv\n  @/Rechnungen/Übersicht 2024.txt\n"
                    "Ilse Weiß (1)\n  @/Briefe/Kündigung Wohnung 4b.txt\n"
                    "Łukasz Nowak (1)\n  @/Notizen/Besprechung Hausmeister.md\nPaul Neumann (0)\n"
                    "Abdeckung: vollständig\nAusgelassen: 1 versteckt, 0 Verknüpfungen auf "
                    "Verzeichnisse, 0 besondere Dateien, 2 ohne Dateityp, 1 zu groß, 0 "
                    "Pseudo-Dateisysteme\n",
                    "/", separator));
}

}  // namespace
