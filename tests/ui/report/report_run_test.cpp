// The built fundort-report run as a user runs it, on real temporary folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "testing/process.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

ProcessResult Report(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), FUNDORT_REPORT_BINARY);
  return RunProcess(arguments);
}

TEST(ReportRunTest, HelpAndUsageErrors) {
  const ProcessResult help = Report({"--help"});
  EXPECT_EQ(help.ExitStatus, 0);
  EXPECT_NE(help.Out.find("usage: fundort-report"), std::string::npos);

  const std::vector<std::vector<std::string>> wrong = {
      {}, {"a.cfg", "b.cfg"}, {"--bogus", "a.cfg"}, {"--format", "xml", "a.cfg"}};
  for (const auto& arguments : wrong) {
    const ProcessResult result = Report(arguments);
    EXPECT_EQ(result.ExitStatus, 2) << testing::PrintToString(arguments);
    EXPECT_TRUE(result.Out.empty());
    EXPECT_NE(result.Err.find("usage: fundort-report"), std::string::npos);
  }
}

TEST(ReportRunTest, MissingConfigurationIsAnErrorAndStillLogged) {
  TestProgram program("absent");
  const ProcessResult result = Report({program.ConfigPath().string()});
  EXPECT_EQ(result.ExitStatus, 2);
  EXPECT_EQ(result.Err, "Fehler: Die Konfigurationsdatei wurde nicht gefunden.\n");
  EXPECT_TRUE(result.Out.empty());
  EXPECT_EQ(program.LogLines(), (Lines{"START absent", "EXIT"}));
}

TEST(ReportRunTest, ConfigurationMistakesGoToStderrAndGiveStatusOne) {
  TestProgram program("mixed");
  program.WriteConfig("FOO|1|\r\nSEARCHMODE|fast|\r\n");
  const ProcessResult result = Report({program.ConfigPath().string()});
  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(result.Err,
            "Fehler: Unbekannter Befehl: \"FOO\"\nFehler: Unbekannter Suchmodus \"fast\".\n");
  EXPECT_EQ(program.LogLines(), (Lines{"START mixed", "CONFIG: SEARCHMODE|fast|", "EXIT"}));
}

TEST(ReportRunTest, LogCanBeMovedOrDropped) {
  TestProgram program("quiet");
  program.WriteConfig("SEARCHMODE|TEXT|\r\n");
  const std::string elsewhere = (program.dir().path() / "other.log").string();
  EXPECT_EQ(Report({"--log", elsewhere, program.ConfigPath().string()}).ExitStatus, 0);
  EXPECT_FALSE(std::filesystem::exists(program.LogPath()));
  EXPECT_TRUE(std::filesystem::exists(elsewhere));
  EXPECT_EQ(Report({"--no-log", program.ConfigPath().string()}).ExitStatus, 0);
  EXPECT_FALSE(std::filesystem::exists(program.LogPath()));
}

TEST(ReportRunTest, EmptyRunPrintsTheHeaderAndAnEmptyJsonReport) {
  TestProgram program("empty");
  program.WriteConfig("");
  const ProcessResult text = Report({"--no-log", program.ConfigPath().string()});
  EXPECT_EQ(text.ExitStatus, 0);
  EXPECT_EQ(text.Out, "Anzahl Verzeichnisse: 0  Anzahl Dateien: 0  Gesamtgröße: 0 B\n");
  const ProcessResult json =
      Report({"--no-log", "--format", "json", program.ConfigPath().string()});
  EXPECT_EQ(json.Out, "{\"config\": \"" + program.ConfigPath().string() +
                          "\", \"searchMode\": \"BINARY\", \"folderCount\": 0, \"fileCount\": 0, "
                          "\"totalSize\": 0, \"allSize\": \"0 B\", \"status\": \"fertig\",\n"
                          " \"persons\": [],\n \"sortedNames\": [],\n \"unreadable\": [],\n"
                          " \"messages\": []}\n");
}

}  // namespace
