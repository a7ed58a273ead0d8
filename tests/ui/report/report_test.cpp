// The built fundort-report run as a user runs it, on real temporary folders.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "command_line.h"
#include "testing/process.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;

/// text with $R replaced by the searched tree and $C by the configuration.
std::string Fill(const std::string& text, const InstalledProgram& program) {
  const std::string root = program.dir().path().string() + "/Daten";
  return Replace(Replace(text, "$R", root), "$C", program.ConfigPath().string());
}

TEST(ReportTest, ExitStatusesMessagesAndWhereTheLogGoes) {
  // What each format prints is tested on the report itself; here the built program's output is
  // only recognised by its start.
  InstalledProgram program("daten");
  program.dir().Write("Daten/a, \"b\".txt", Cp1252("Brief an Frau MÜLLER und Herrn Weiß"));
  program.dir().Write("Daten/bad\xFFname.txt", Cp1252("Nur Weiß"));
  program.dir().Write("Daten/d.txt", "nichts");
  const std::string config =
      "FILETYPE|*.txt|\r\nFOLDER|$R|\r\nNAME|Müller, Erika|müller|\r\nNAME|Ilse Weiß|Weiß|\r\n";
  const std::string logged =
      "START daten\nCONFIG: FILETYPE|*.txt|\nCONFIG: FOLDER|$R|\n"
      "CONFIG: NAME|Müller, Erika|müller|\nCONFIG: NAME|Ilse Weiß|Weiß|\n";
  // A file name that is not UTF-8 is logged with its own bytes.
  const std::string found =
      "found new file: $R/a, \"b\".txt\nfound new file: $R/a, \"b\".txt\n"
      "found new file: $R/bad\xFFname.txt\nEXIT\n";
  struct Case {
    std::vector<std::string> arguments;
    std::string config;  // empty: none
    int status;
    std::string outStart, err, log;
  };
  const Case cases[] = {
      {{"$C"}, config, 0, "Anzahl Verzeichnisse: 1  Anzahl Dateien: 3", "", logged + found},
      {{"--format", "csv", "--no-log", "$C"}, config, 0, "person,file\r\n\"Müller", "", ""},
      // Mistakes in the configuration are reported and the run goes on; the log goes elsewhere.
      {{"--format=json", "--log", "$R/../other.log", "$C"},
       config + "FOO|\r\nSEARCHMODE|fast|\r\n",
       1,
       "{\"config\": \"$C\", \"searchMode\": \"BINARY\"",
       "$C:5: Unbekannter Befehl: \"FOO\"\n$C:6: Unbekannter Suchmodus \"fast\".\n",
       logged + "CONFIG: SEARCHMODE|fast|\n" + found},
      {{"$C"},
       "",
       2,
       "",
       "$C: Die Konfigurationsdatei wurde nicht gefunden.\n",
       "START daten\nEXIT\n"},
      {{}, config, 2, "", "fundort-report: no configuration file given\n\n" + UsageText(), ""},
      // A log that cannot be written is reported once, with the number of lines lost.
      {{"--log", "/dev/full", "$C"},
       config,
       4,
       "Anzahl Verzeichnisse: 1",
       "fundort-report: 9 log lines could not be written: Nicht genügend Speicherplatz auf dem "
       "Datenträger\n",
       ""},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    for (const char* name : {"daten.log", "other.log", "daten.cfg"})
      std::filesystem::remove(program.dir().path() / name);
    if (!row.config.empty()) program.WriteConfig(Fill(row.config, program));
    std::vector<std::string> arguments{FUNDORT_REPORT_BINARY};
    for (const std::string& argument : row.arguments)
      arguments.push_back(Fill(argument, program));

    const ProcessResult result = RunProcess(arguments);
    EXPECT_EQ(result.ExitStatus, row.status);
    EXPECT_TRUE(result.Out.starts_with(Fill(row.outStart, program))) << result.Out;
    EXPECT_EQ(result.Err, Fill(row.err, program));
    // The log is where it was asked for, and nowhere else.
    const std::filesystem::path other = program.dir().path() / "other.log";
    if (std::filesystem::exists(other)) {
      EXPECT_FALSE(std::filesystem::exists(program.LogPath()));
      std::filesystem::rename(other, program.LogPath());
    }
    std::string log;
    for (const std::string& line : program.LogLines())
      log += line + "\n";
    EXPECT_EQ(log, Fill(row.log, program));
  }
}

TEST(ReportTest, TheLogNeverLandsInTheConfigurationAndOddConfigurationNamesWork) {
  TempDir dir;
  const std::string body = "NAME|A|\r\n";
  const std::string folder = dir.path().string();
  enum class Link { None, Hard, Symbolic };
  struct Case {
    std::string file;  // the configuration written, relative to dir
    std::vector<std::string> arguments;
    int status;
    std::string outStart;   // the beginning of stdout
    Link log = Link::None;  // how the log beside the configuration leads to it
  };
  const Case cases[] = {
      {"audit.log", {"audit.log"}, 2, ""},
      {"hart.cfg", {"hart.cfg"}, 2, "", Link::Hard},
      {"weich.cfg", {"weich.cfg"}, 2, "", Link::Symbolic},
      {"a.cfg", {"--log", "a.cfg", "a.cfg"}, 2, ""},
      {"a.cfg", {"--log", "./a.cfg", "a.cfg"}, 2, ""},
      {"a.cfg", {"./"}, 2, ""},
      {".versteckt.cfg", {"--no-log", ".versteckt.cfg"}, 0, "Anzahl Verzeichnisse: 0"},
      {"k\xE9.cfg",
       {"--no-log", "--format", "json", "k\xE9.cfg"},
       0,
       "{\"config\": \"k\xEF\xBF\xBD.cfg\""},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.file);
    dir.Write(row.file, body);
    const fs::path config = dir.path() / row.file;
    const fs::path log = fs::path(config).replace_extension(".log");
    if (row.log == Link::Hard) fs::create_hard_link(config, log);
    if (row.log == Link::Symbolic) fs::create_symlink(config, log);
    std::vector<std::string> arguments{"/usr/bin/env", "-C", folder, FUNDORT_REPORT_BINARY};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    const ProcessResult result = RunProcess(arguments);
    EXPECT_EQ(result.ExitStatus, row.status) << result.Err;
    EXPECT_TRUE(result.Out.starts_with(row.outStart)) << result.Out;
    std::ifstream in(dir.path() / row.file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), body);
  }
}

// A reader that stops after the first line ("| head -1") must not kill the run with SIGPIPE: the
// write fails, the run says so with status 3, and the log is complete. The report is far larger
// than a pipe holds, so the write surely meets the closed pipe.
TEST(ReportTest, AReaderThatStopsEarlyEndsTheRunWithStatusThree) {
  InstalledProgram program("kurz");
  std::string config;
  for (int person = 0; person < 3'000; ++person)
    config += "NAME|Person " + std::to_string(person) + std::string(200, 'x') + "|x|\r\n";
  program.WriteConfig(config);
  const ProcessResult result = RunProcess(
      {"/bin/bash", "-c", "\"$0\" \"$1\" | head -c 1 >/dev/null; exit \"${PIPESTATUS[0]}\"",
       FUNDORT_REPORT_BINARY, program.ConfigPath().string()});
  EXPECT_EQ(result.ExitStatus, 3) << result.Err;
  EXPECT_TRUE(result.Err.starts_with("fundort-report: cannot write the report:")) << result.Err;
  const std::vector<std::string> log = program.LogLines();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "EXIT");
}

TEST(ReportTest, TreesDeeperThanTheSoftDescriptorLimitAreWalkedWhole) {
  InstalledProgram program("tief");
  std::filesystem::path deepest = program.dir().path() / "Daten";
  for (int level = 0; level < 300; ++level)
    deepest /= "d";
  std::filesystem::create_directories(deepest);
  program.dir().Write(std::filesystem::relative(deepest / "x.txt", program.dir().path()), "Meier");
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + program.dir().path().string() +
                      "/Daten|\r\nNAME|M|Meier|\r\n");
  const ProcessResult result =
      RunProcess({"/bin/sh", "-c", "ulimit -S -n 64 && exec \"$0\" --no-log \"$1\"",
                  FUNDORT_REPORT_BINARY, program.ConfigPath().string()});
  EXPECT_EQ(result.ExitStatus, 0) << result.Err;
  EXPECT_TRUE(result.Out.starts_with("Anzahl Verzeichnisse: 301  Anzahl Dateien: 1")) << result.Out;
}

// SIGTERM once the log shows the run at work (a CONFIG line while 300,000 persons are read; a
// hit while 4,000 files are searched): the run stops at its next point, logs EXIT once and prints
// what it found so far.
TEST(ReportTest, SigtermStopsTheRunAtItsNextPoint) {
  const struct {
    const char* mark;  // the log lines counted
    int files, persons;
  } cases[] = {{"CONFIG: ", 0, 300'000}, {"found new file: ", 4000, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mark);
    InstalledProgram program("lang");
    for (int i = 0; i < c.files; ++i)
      program.dir().Write("Daten/f" + std::to_string(100000 + i) + ".txt", "x");
    // Persons without terms are found in every file read.
    std::string config = Fill("FILETYPE|*.txt|\r\nFOLDER|$R|\r\n", program);
    for (int person = 0; person < c.persons; ++person)
      config += "NAME|Jeder" + (person == 0 ? std::string() : std::to_string(person)) + "|\r\n";
    program.WriteConfig(config);
    const auto marked = [&c](const std::string& line) { return line.starts_with(c.mark); };
    const ProcessResult result =
        RunProcess({FUNDORT_REPORT_BINARY, program.ConfigPath().string()}, [&](int pid) {
          for (int wait = 0; wait < 300000 && std::ranges::none_of(program.LogLines(), marked);
               ++wait)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
          ::kill(pid, SIGTERM);
        });
    EXPECT_EQ(result.ExitStatus, 130);
    const std::vector<std::string> log = program.LogLines();
    ASSERT_EQ(std::ranges::count(log, "EXIT"), 1);
    EXPECT_EQ(log.back(), "EXIT");
    const auto lines = std::ranges::count_if(log, marked);
    EXPECT_GE(lines, 1);
    EXPECT_LT(lines, std::max(c.files, c.persons + 2));
    EXPECT_NE(result.Out.find("Abdeckung: abgebrochen\n"), std::string::npos);
    // The person's count matches the log.
    EXPECT_TRUE(c.files == 0 ||
                result.Out.find("Jeder (" + std::to_string(lines) + ")\n") != std::string::npos);
  }
}

TEST(ReportTest, TheShippedDemoGivesItsDocumentedResult) {
  const std::string examples = std::string(FUNDORT_SOURCE_DIR) + "/examples";
  std::ifstream in(examples + "/fundort.cfg", std::ios::binary);
  TempDir dir;
  dir.Write("fundort.cfg",
            Replace({std::istreambuf_iterator<char>(in), {}}, "@DEMO@", examples + "/demo"));
  const ProcessResult result =
      RunProcess({FUNDORT_REPORT_BINARY, "--no-log", (dir.path() / "fundort.cfg").string()});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(result.Out,
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
                    "@", examples + "/demo"));
}

}  // namespace
