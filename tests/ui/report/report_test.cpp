// The built fundort-report run as a user runs it, on real temporary folders.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "command_line.h"
#include "platform/utf8.h"
#include "report_output.h"
#include "testing/process.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A tree of three files, $R, whose names need quoting in CSV and JSON and one of which is no
// UTF-8; each row runs on its own copy, $C its configuration, with the arguments given.
TEST(ReportTest, OutputExitStatusMessagesCoverageAndWhereTheLogGoes) {
  const std::string config =
      "FILETYPE|*.txt|\r\nFOLDER|$R|\r\nNAME|Müller, Erika|müller|\r\nNAME|Ilse Weiß|Weiß|\r\n";
  const std::string logged =
      "START daten\nCONFIG: FILETYPE|*.txt|\nCONFIG: FOLDER|$R|\n"
      "CONFIG: NAME|Müller, Erika|müller|\nCONFIG: NAME|Ilse Weiß|Weiß|\n";
  // A name that is not UTF-8: logged as its bytes, "\xHH" in text, U+FFFD and $B in JSON, CSV.
  const std::string found =
      "found new file: $R/a, \"b\".txt\nfound new file: $R/a, \"b\".txt\n"
      "found new file: $R/bad\xFFname.txt\nEXIT\n";
  const std::string bad = "$R/bad\xEF\xBF\xBDname.txt", badText = "$R/bad\\xFFname.txt";
  const std::string noTerms = "\" hat keine Suchbegriffe und gilt in jeder Datei als gefunden\n";
  // The permission rows run as a user for whom a folder without permissions is one.
  const std::string asNobody = "exec setpriv --reuid=65534 --regid=65534 --clear-groups \"$@\"";
  const ProcessResult probe =
      RunProcess({"/bin/bash", "-c", asNobody, "-", "/bin/sh", "-c", "test ! -r /etc/shadow"});
  const std::string nobody = probe.ExitStatus == 0 ? "" : "no unprivileged user can be arranged";
  const std::string devpts = fs::exists("/dev/pts/ptmx") ? "" : "no devpts at /dev/pts";
  // A report far larger than a pipe holds, for a reader that stops after its first byte.
  const std::string large = "NAME|" + std::string(1 << 20, 'x') + "|x|";
  struct Case {
    std::string name;
    std::string config;  // empty: none
    std::vector<std::string> arguments;
    int status;
    std::string err;
    std::vector<std::string> out;  // stdout starts with the first, holds the others ("!": not)
    std::string log = {};          // the lines of the log beside the configuration; empty: none
    std::string shell = "exec \"$@\"";  // run in the program's folder, the program as "$@"
    std::string unavailable = {};       // why the row cannot run here
  };
  const std::string json = "--format=json", noLog = "--no-log", limited = "FILETYPE|*.txt|100|\n";
  const std::string itself =
      "fundort-report: the log would be the configuration itself; use --log FILE or --no-log\n";
  const std::string logIsConfig = "fundort-report: --log names the configuration file\n";
  const std::string asLog = Replace(config, "\r\n", "\n");  // the configuration as the log
  const std::string thenRun = " && exec \"$@\"";
  // clang-format off
  const Case cases[] = {
      {"text", config, {"$C"}, 0, "",
       {"Anzahl Verzeichnisse: 1  Anzahl Dateien: 3  Gesamtgröße: 49 B\nMüller, Erika (1)\n"
        "  $R/a, \"b\".txt\nIlse Weiß (2)\n  $R/a, \"b\".txt\n  " + badText + "\n"},
       logged + found},
      {"csv", config, {"--format", "csv", noLog, "$C"}, 0, "",
       {"person,file,fileBytes\r\n\"Müller, Erika\",\"$R/a, \"\"b\"\".txt\",\r\n"
        "Ilse Weiß,\"$R/a, \"\"b\"\".txt\",\r\nIlse Weiß," + bad + ",$B\r\n"}},
      // Mistakes in the configuration are reported and the run goes on; the log goes elsewhere.
      {"json with messages", config + "FOO|\r\nSEARCHMODE|fast|\r\n",
       {json, "--log", "$R/../other.log", "$C"}, 1,
       "$C:5: Unbekannter Befehl: \"FOO\"\n$C:6: Unbekannter Suchmodus \"fast\".\n",
       {"{\"config\": \"$C\", \"searchMode\": \"BINARY\", \"encodings\": [\"ANSI\", \"UTF-8\", "
        "\"UTF-16\"], \"folderCount\": 1, \"fileCount\": 3, \"totalSize\": 49, \"allSize\": \"49 "
        "B\", \"status\": \"fertig\",\n \"persons\": [\n  {\"number\": 1, \"name\": \"Müller, "
        "Erika\", \"terms\": [\"müller\"], \"hits\": 1, \"files\": [\"$R/a, \\\"b\\\".txt\"]},\n  "
        "{\"number\": 2, \"name\": \"Ilse Weiß\", \"terms\": [\"Weiß\"], \"hits\": 2, \"files\": "
        "[\"$R/a, \\\"b\\\".txt\", \"" + bad + "\"], \"filesBytes\": [null, \"$B\"]}],\n "
        "\"sortedNames\": [\"Ilse Weiß\", \"Müller, Erika\"],\n \"unreadable\": [],\n "
        "\"notExtracted\": [],\n \"recognition\": {\"pages\": 0, \"fromCache\": 0, \"files\": "
        "[]},\n \"messages\": "
        "[{\"title\": \"Fehler\", \"text\": \"Unbekannter Befehl: \\\"FOO\\\"\", \"line\": 5}, "
        "{\"title\": \"Fehler\", \"text\": \"Unbekannter Suchmodus \\\"fast\\\".\", \"line\": 6}"
        "],\n \"coverage\": {\"stopped\": false,\n"},
       logged + "CONFIG: SEARCHMODE|fast|\n" + found},
      {"no configuration", "", {"$C"}, 2, "$C: Die Konfigurationsdatei wurde nicht gefunden.\n",
       {""}, "START daten\nEXIT\n"},
      {"no arguments", config, {}, 2,
       "fundort-report: no configuration file given\n\n" + UsageText(), {""}},
      // A log that cannot be written is reported once, with the number of lines lost.
      {"full disk", config, {"--log", "/dev/full", "$C"}, 4,
       "fundort-report: 9 log lines could not be written: Nicht genügend Speicherplatz auf dem "
       "Datenträger\n", {"Anzahl Verzeichnisse: 1"}},
      {"skipped entries", limited + "FOLDER|$R|", {noLog, json, "$C"}, 0, "",
       {"{", "\"skipped\": {\"hidden\": 1, \"folderLinks\": 1, \"specialFiles\": 1, "
        "\"notAccepted\": 1, \"tooLarge\": 1, \"pseudoFileSystems\": 0}"}, "",
       "cd Daten && touch .versteckt.txt b.doc && mkdir ziel && ln -s ziel link && mkfifo fifo.txt "
       "&& head -c 101 /dev/zero >gross.txt && cd .." + thenRun},
      {"missing folders", limited + "FOLDER|$R/nirgends|\nFOLDER|$R\0x|"s, {noLog, json, "$C"}, 4,
       "$R/nirgends: Datei nicht gefunden\n$R\\x00x: Datei nicht gefunden\n",
       {"{", "\"foldersMissing\": {\"count\": 2,",
        "{\"path\": \"$R\\u0000x\", \"line\": 3, \"reason\": \"Datei nicht gefunden\"}]}"}},
      // A mistake in the configuration outranks the gap in the search.
      {"missing folder and a mistake", limited + "FOLDER|$R/nirgends|\nFOO|", {noLog, "$C"}, 1,
       "$C:3: Unbekannter Befehl: \"FOO\"\n$R/nirgends: Datei nicht gefunden\n", {""}},
      {"persons without terms", limited + "FOLDER|$R|\nNAME|Erika Müller|Müller\nNAME|A\x1B[2K|",
       {noLog, json, "$C"}, 0,
       "$C:3: Warnung: \"Erika Müller" + noTerms + "$C:4: Warnung: \"A\\x1B[2K" + noTerms,
       {"{", "{\"name\": \"A\\u001b[2K\", \"line\": 4, \"emptyTerm\": false}]}"}},
      {"strict", limited + "FOLDER|$R|\nNAME|Erika Müller|", {"--strict", noLog, "$C"}, 4,
       "$C:3: Warnung: \"Erika Müller" + noTerms, {""}},
      {"overlapping folders", limited + "FOLDER|$R/sub|\nFOLDER|$R|", {noLog, json, "$C"}, 0,
       "$C:3: Warnung: der Baum von \"$R\" überschneidet sich mit dem von Zeile 2; Dateien darin "
       "zählen doppelt\n",
       {"{", "\"overlappingFolders\": {\"count\": 1, \"truncated\": false, \"items\": [{\"path\": "
        "\"$R\", \"line\": 3, \"earlierLine\": 2}]}"}, "", "mkdir Daten/sub" + thenRun},
      {"unreadable", limited + "FOLDER|$R|", {noLog, json, "$C"}, 4,
       "$R/zu: Zugriff verweigert\n$R/d.txt: Zugriff verweigert\n",
       {"{", "\"foldersUnreadable\": {\"count\": 1,", "\"filesUnreadable\": {\"count\": 1,"}, "",
       "chmod o+rx . && mkdir Daten/zu && touch Daten/zu/b.txt && chmod 0 Daten/zu Daten/d.txt && "
       + asNobody, nobody},
      // The log never lands in the configuration, however it would lead there.
      {"configuration named .log", config, {"audit.log"}, 2, "fundort-report: the log beside "
       "audit.log would be the configuration itself; use --log FILE or --no-log\n", {""}},
      {"log a hard link to it", config, {"$C"}, 2, itself, {""}, asLog,
       "ln daten.cfg daten.log" + thenRun},
      {"log a symbolic link to it", config, {"$C"}, 2, itself, {""}, asLog,
       "ln -s daten.cfg daten.log" + thenRun},
      {"--log names it otherwise", config, {"--log", "./daten.cfg", "$C"}, 2, logIsConfig, {""}},
      {"a folder", config, {"./"}, 2, "fundort-report: CONFIG names a folder: ./\n", {""}},
      // Odd configuration names work.
      {"hidden name", config, {noLog, ".versteckt.cfg"}, 0, "", {"Anzahl Verzeichnisse: 1"}, "",
       "cp daten.cfg .versteckt.cfg" + thenRun},
      {"name not UTF-8", config, {noLog, json, "k\xE9.cfg"}, 0, "",
       {"{\"config\": \"k\xEF\xBF\xBD.cfg\", \"configBytes\": \"a+kuY2Zn\", "}, "",
       "cp daten.cfg k\xE9.cfg" + thenRun},
      // A reader that stops early makes the write fail, not SIGPIPE kill the run; the log is whole.
      {"reader stops early", large + "\r\n", {"$C"}, 3, "fundort-report: cannot write the report: "
       "Broken pipe\n", {""}, "START daten\nCONFIG: " + large + "\nEXIT\n",
       "\"$@\" | head -c 1 >/dev/null; exit \"${PIPESTATUS[0]}\""},
      {"deeper than the soft descriptor limit", "FILETYPE|*.txt|\nFOLDER|$R|", {noLog, "$C"}, 0, "",
       {"Anzahl Verzeichnisse: 301  Anzahl Dateien: 4"}, "", "d=Daten$(printf '/d%.0s' {1..300})"
       " && mkdir -p $d && touch $d/x.txt && ulimit -S -n 64" + thenRun},
      // A relative FOLDER starts at the configuration's folder wherever the run is started, and
      // the paths reported are full.
      {"relative folder from elsewhere", limited + "FOLDER|Daten|\nNAME|Ilse Weiß|Weiß|",
       {noLog, ".$C"}, 0, "", {"Anzahl Verzeichnisse: 1", "\n  $R/a, \"b\".txt\n"}, "",
       "cd / && exec \"$@\""},
      {"version", "", {"--version", "$C"}, 0, "", {"fundort-report " FUNDORT_VERSION "\n"}},
      // Pseudo file systems met below a root are not entered; named as the root, one is walked.
      {"pseudo file system below", "FOLDER|/dev|", {noLog, json, "$C"}, 0, "",
       {"{", "!\"pseudoFileSystems\": 0}"}, "", "exec \"$@\"", devpts},
      {"pseudo file system named", "FOLDER|/dev/pts|", {noLog, json, "$C"}, 0, "",
       {"{", "\"pseudoFileSystems\": 0}"}, "", "exec \"$@\"", devpts},
  };
  // clang-format on
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    if (!row.unavailable.empty()) {
      std::cout << "[  SKIPPED ] " << row.name << ": " << row.unavailable << "\n";
      continue;
    }
    InstalledProgram program("daten");
    program.dir().Write("Daten/a, \"b\".txt", Cp1252("Brief an Frau MÜLLER und Herrn Weiß"));
    program.dir().Write("Daten/bad\xFFname.txt", Cp1252("Nur Weiß"));
    program.dir().Write("Daten/d.txt", "nichts");
    const fs::path folder = program.dir().path(), root = folder / "Daten";
    const std::string badBytes = PathBytes(platform::FromUtf8(root.string() + "/bad\xFFname.txt"));
    const auto fill = [&](const std::string& text) {
      return Replace(
          Replace(Replace(text, "$R", root.string()), "$C", program.ConfigPath().string()), "$B",
          badBytes);
    };
    if (!row.config.empty()) program.WriteConfig(fill(row.config));
    // Run in the program's folder, where relative names lead.
    std::vector<std::string> command{"/bin/bash", "-c", "cd \"$0\" && " + row.shell,
                                     folder.string(), FUNDORT_REPORT_BINARY};
    for (const std::string& argument : row.arguments)
      command.push_back(fill(argument));

    const ProcessResult result = RunProcess(command);
    EXPECT_EQ(result.ExitStatus, row.status);
    EXPECT_EQ(result.Err, fill(row.err));
    EXPECT_EQ(result.Out.substr(0, fill(row.out[0]).size()), fill(row.out[0]));
    for (const std::string& fragment : row.out) {
      const bool absent = fragment.starts_with('!');
      EXPECT_EQ(result.Out.find(fill(fragment.substr(absent))) == std::string::npos, absent)
          << result.Out;
    }
    // The log is where it was asked for, and nowhere else.
    const fs::path other = folder / "other.log";
    if (fs::exists(other)) {
      EXPECT_FALSE(fs::exists(program.LogPath()));
      fs::rename(other, program.LogPath());
    }
    const auto contents = [](const fs::path& file) {
      return (std::stringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
    };
    EXPECT_EQ(contents(program.LogPath()), Replace(fill(row.log), "\n", "\r\n"));
    // Whatever the run did, every configuration is as it was.
    for (const fs::path& file : fs::directory_iterator(folder))
      EXPECT_TRUE(file.extension() != ".cfg" || contents(file) == fill(row.config)) << file;
  }
}

// SIGTERM once the log shows the search at work (4,000 files, a person without terms found in
// each): the run stops at its next point, logs EXIT once and prints what it found so far.
TEST(ReportTest, SigtermStopsTheRunAtItsNextPoint) {
  InstalledProgram program("lang");
  for (int i = 0; i < 4000; ++i)
    program.dir().Write("Daten/f" + std::to_string(100000 + i) + ".txt", "x");
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + program.dir().path().string() +
                      "/Daten|\r\nNAME|Jeder|\r\n");
  const auto found = [](const std::string& line) { return line.starts_with("found new file: "); };
  const ProcessResult result =
      RunProcess({FUNDORT_REPORT_BINARY, program.ConfigPath().string()}, [&](int pid) {
        for (int wait = 0; wait < 300000 && std::ranges::none_of(program.LogLines(), found); ++wait)
          std::this_thread::sleep_for(std::chrono::microseconds(200));
        ::kill(pid, SIGTERM);
      });
  EXPECT_EQ(result.ExitStatus, 130);
  const std::vector<std::string> log = program.LogLines();
  EXPECT_EQ(std::ranges::count(log, "EXIT"), 1);
  EXPECT_EQ(log.back(), "EXIT");
  const auto hits = std::ranges::count_if(log, found);
  EXPECT_TRUE(hits >= 1 && hits < 4000) << hits;
  // The person's count matches the log.
  EXPECT_NE(result.Out.find("Jeder (" + std::to_string(hits) + ")\n"), std::string::npos);
  EXPECT_NE(result.Out.find("Abdeckung: abgebrochen\n"), std::string::npos);
}

// Two files whose names differ only in a byte that is not UTF-8 are two files in every format:
// text shows each byte, JSON and CSV give each path's own bytes beside the path.
TEST(ReportTest, NamesThatDifferOnlyInBytesThatAreNotUtf8AreToldApart) {
  InstalledProgram program("daten");
  program.dir().Write("Daten/a\xFF.txt", "Ilse Weiß");
  program.dir().Write("Daten/a\xFE.txt", "Ilse Weiß");
  const std::string root = (program.dir().path() / "Daten").string();
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + root + "|\r\nNAME|Ilse|Weiß|\r\n");
  const auto report = [&](const std::string& format) {
    const ProcessResult result = RunProcess(
        {FUNDORT_REPORT_BINARY, "--no-log", "--format", format, program.ConfigPath().string()});
    EXPECT_EQ(result.ExitStatus, 0) << format;
    return result.Out;
  };
  const std::string text = report("text"), json = report("json"), csv = report("csv");
  const std::string shown = root + "/a\xEF\xBF\xBD.txt";
  for (const auto& [byte, escaped] : {std::pair{"\xFF", "\\xFF"}, std::pair{"\xFE", "\\xFE"}}) {
    const std::string bytes = PathBytes(platform::FromUtf8(root + "/a" + byte + ".txt"));
    EXPECT_NE(text.find("\n  " + root + "/a" + escaped + ".txt\n"), std::string::npos) << text;
    EXPECT_NE(json.find("\"" + bytes + "\""), std::string::npos) << json;
    EXPECT_NE(csv.find("\r\nIlse," + shown + "," + bytes + "\r\n"), std::string::npos) << csv;
  }
}

// SIGTERM from the first instruction on (held by the inherited mask until the program listens)
// ends the run before its first line: status 130, EXIT logged, a whole report that says so.
TEST(ReportTest, SigtermAtTheVeryStartStopsTheRunCleanly) {
  InstalledProgram program("frueh");
  program.dir().Write("Daten/a.txt", "Ilse Weiß");
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + program.dir().path().string() +
                      "/Daten|\r\nNAME|Ilse|Weiß|\r\n");
  for (int attempt = 0; attempt < 5; ++attempt) {
    SCOPED_TRACE(attempt);
    fs::remove(program.LogPath());
    sigset_t terminate, previous;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &terminate, &previous);
    const ProcessResult result = RunProcess(
        {FUNDORT_REPORT_BINARY, "--format", "json", program.ConfigPath().string()}, [&](int pid) {
          ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
          ::kill(pid, SIGTERM);
        });
    EXPECT_EQ(result.ExitStatus, 130);
    EXPECT_EQ(program.LogLines(), (std::vector<std::string>{"START frueh", "EXIT"}));
    EXPECT_TRUE(result.Out.starts_with("{\"config\": ") && result.Out.ends_with("}}\n"))
        << result.Out;
    EXPECT_NE(result.Out.find("\"coverage\": {\"stopped\": true,"), std::string::npos);
  }
}

}  // namespace
