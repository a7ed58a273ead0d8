// fundort-report's results on real trees: every format, stop by signal, odd file names, the demo.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "testing/process.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

ProcessResult Report(std::vector<std::string> arguments,
                     const std::function<void(int)>& whileRunning = {}) {
  arguments.insert(arguments.begin(), FUNDORT_REPORT_BINARY);
  return RunProcess(arguments, whileRunning);
}

// A small tree: two persons, one file for both, one for one, one for none.
class ReportResultsTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = program_.dir().path().string() + "/Daten";
    program_.dir().Write("Daten/a, \"b\".txt", Cp1252("Brief an Frau MÜLLER und Herrn Weiß"));
    program_.dir().Write("Daten/c.txt", Cp1252("Nur Weiß"));
    program_.dir().Write("Daten/d.txt", "nichts");
    program_.dir().Write("Daten/e.doc", Cp1252("Müller"));
    program_.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + root_ +
                         "|\r\nNAME|Erika Müller|müller|\r\nNAME|Ilse Weiß|Weiß|Weiss|\r\n");
  }

  TestProgram program_{"daten"};
  std::string root_;
};

TEST_F(ReportResultsTest, TextListsPersonsInDeclarationOrderWithTheirHits) {
  const ProcessResult result = Report({program_.ConfigPath().string()});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(result.Out,
            "Anzahl Verzeichnisse: 1  Anzahl Dateien: 3  Gesamtgröße: 49 B\n"
            "Erika Müller (1)\n"
            "  " +
                root_ +
                "/a, \"b\".txt\n"
                "Ilse Weiß (2)\n"
                "  " +
                root_ +
                "/a, \"b\".txt\n"
                "  " +
                root_ + "/c.txt\n");
  EXPECT_EQ(program_.LogLines(),
            (Lines{"START daten", "CONFIG: FILETYPE|*.txt|", "CONFIG: FOLDER|" + root_ + "|",
                   "CONFIG: NAME|Erika Müller|müller|", "CONFIG: NAME|Ilse Weiß|Weiß|Weiss|",
                   "found new file: " + root_ + "/a, \"b\".txt",
                   "found new file: " + root_ + "/a, \"b\".txt",
                   "found new file: " + root_ + "/c.txt", "EXIT"}));
}

TEST_F(ReportResultsTest, CsvQuotesPathsWithCommasAndQuotes) {
  const ProcessResult result =
      Report({"--format", "csv", "--no-log", program_.ConfigPath().string()});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Out,
            "person,file\r\n"
            "Erika Müller,\"" +
                root_ +
                "/a, \"\"b\"\".txt\"\r\n"
                "Ilse Weiß,\"" +
                root_ +
                "/a, \"\"b\"\".txt\"\r\n"
                "Ilse Weiß," +
                root_ + "/c.txt\r\n");
}

TEST_F(ReportResultsTest, JsonHoldsTermsSortedNamesAndUnreadableFiles) {
  // A file without read permission is unreadable (except for root, who reads it anyway).
  program_.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + root_ +
                       "|\r\nNAME|Erika Müller|müller||\r\nNAME|Ilse Weiß|Weiß|\r\nFOO|\r\n");
  ::chmod((root_ + "/d.txt").c_str(), 0);
  const ProcessResult result =
      Report({"--format=json", "--no-log", program_.ConfigPath().string()});
  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(result.Err, "Fehler: Unbekannter Befehl: \"FOO\"\n");
  const bool root = ::geteuid() == 0;
  const std::string quoted = "\"" + root_ + "/a, \\\"b\\\".txt\"";
  EXPECT_EQ(result.Out,
            "{\"config\": \"" + program_.ConfigPath().string() +
                "\", \"searchMode\": \"BINARY\", \"folderCount\": 1, \"fileCount\": 3, "
                "\"totalSize\": 49, \"allSize\": \"49 B\", \"status\": \"fertig\",\n"
                " \"persons\": [\n"
                "  {\"number\": 1, \"name\": \"Erika Müller\", \"terms\": [\"müller\", \"\"], "
                "\"hits\": " +
                std::string(root ? "3" : "2") + ", \"files\": [" + quoted + ", \"" + root_ +
                "/c.txt\"" + (root ? ", \"" + root_ + "/d.txt\"" : "") +
                "]},\n"
                "  {\"number\": 2, \"name\": \"Ilse Weiß\", \"terms\": [\"Weiß\"], \"hits\": 2, "
                "\"files\": [" +
                quoted + ", \"" + root_ +
                "/c.txt\"]}],\n"
                " \"sortedNames\": [" +
                "\"Erika Müller\", \"Ilse Weiß\"" + "],\n \"unreadable\": [" +
                (root ? "" : "\"" + root_ + "/d.txt\"") +
                "],\n \"messages\": [{\"title\": \"Fehler\", \"text\": \"Unbekannter Befehl: "
                "\\\"FOO\\\"\"}]}\n");
}

TEST_F(ReportResultsTest, FileNamesThatAreNotUtf8AreShownWithReplacementCharacters) {
  program_.dir().Write("Daten/bad\xFFname.txt", Cp1252("Weiß"));
  const ProcessResult result =
      Report({"--format", "csv", "--no-log", program_.ConfigPath().string()});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_NE(result.Out.find("Ilse Weiß," + root_ + "/bad\xEF\xBF\xBDname.txt\r\n"),
            std::string::npos)
      << result.Out;
}

TEST(ReportStopTest, SigtermDuringTheSearchStopsLogsExitAndPrintsWhatWasFound) {
  TestProgram program("lang");
  constexpr int kFiles = 4000;
  for (int i = 0; i < kFiles; ++i) {
    program.dir().Write("Daten/f" + std::to_string(100000 + i) + ".txt", "x");
  }
  // A person without terms is found in every file read, so the log shows the search running.
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + program.dir().path().string() +
                      "/Daten|\r\nNAME|Jeder|\r\n");
  const auto logHasAHit = [&] {
    std::ifstream in(program.LogPath(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str().find("found new file: ") != std::string::npos;
  };
  const ProcessResult result = Report({program.ConfigPath().string()}, [&](int pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!logHasAHit() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(pid, SIGTERM);
  });
  EXPECT_EQ(result.ExitStatus, 130);
  const Lines log = program.LogLines();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "EXIT");
  const auto hits = std::count_if(log.begin(), log.end(), [](const std::string& line) {
    return line.starts_with("found new file: ");
  });
  EXPECT_GE(hits, 1);
  EXPECT_LT(hits, kFiles);
  // What was found so far is printed: the person's count matches the log.
  EXPECT_NE(result.Out.find("Jeder (" + std::to_string(hits) + ")\n"), std::string::npos);
}

TEST(ReportDemoTest, TheShippedDemoGivesItsDocumentedResult) {
  TempDir dir;
  std::ifstream in(std::string(FUNDORT_SOURCE_DIR) + "/examples/fundort.cfg", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string config = text.str();
  const std::string demo = std::string(FUNDORT_SOURCE_DIR) + "/examples/demo";
  config.replace(config.find("@DEMO@"), 6, demo);
  dir.Write("fundort.cfg", config);
  const ProcessResult result = Report({"--no-log", (dir.path() / "fundort.cfg").string()});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(result.Out,
            "Anzahl Verzeichnisse: 4  Anzahl Dateien: 7  Gesamtgröße: 880 B\n"
            "Erika Müller (2)\n"
            "  " +
                demo +
                "/Briefe/2024-03-01 Anschreiben Müller.txt\n"
                "  " +
                demo +
                "/Notizen/Telefonnotiz 2024-05-02.txt\n"
                "Jürgen Schröder (4)\n"
                "  " +
                demo +
                "/Briefe/2024-04-12 Mahnung.txt\n"
                "  " +
                demo +
                "/Notizen/Besprechung Hausmeister.md\n"
                "  " +
                demo +
                "/Rechnungen/R-2024-117.csv\n"
                "  " +
                demo +
                "/Rechnungen/Übersicht 2024.txt\n"
                "Ilse Weiß (1)\n"
                "  " +
                demo +
                "/Briefe/Kündigung Wohnung 4b.txt\n"
                "Paul Neumann (0)\n");
}

}  // namespace
