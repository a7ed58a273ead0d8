// The built fundort-report on real trees: what it says was left out, its warnings on stderr and
// its exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "testing/process.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

/// The user the permission rows run as, so that a folder without permissions is one.
constexpr const char* kNobody[] = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                   "--clear-groups"};

/// Why the permission rows cannot run here; empty when they can.
std::string NobodyUnavailable() {
  if (::access(kNobody[0], X_OK) != 0) return "setpriv is not installed";
  const ProcessResult probe = RunProcess(
      {kNobody[0], kNobody[1], kNobody[2], kNobody[3], "/bin/sh", "-c", "test ! -r /etc/shadow"});
  if (probe.ExitStatus != 0) return "an unprivileged user cannot be arranged";
  return {};
}

TEST(CoverageReportTest, EachKindOfOmissionInTheJsonTheWarningsAndTheExitStatus) {
  // Every tree holds $R/a.txt under "FILETYPE|*.txt|100|" on line 1; $R is the tree, $C the
  // configuration.
  struct Case {
    std::string lines;  // from line 2 on
    std::function<void(const fs::path& root)> setup;
    std::vector<std::string> arguments;
    int status;
    std::string err;
    std::vector<std::string> json;  // fragments of the JSON report
    bool asNobody = false;
  };
  const auto none = [](const fs::path&) {};
  const std::string noTerms = "\" hat keine Suchbegriffe und gilt in jeder Datei als gefunden\n";
  // clang-format off
  const Case cases[] = {
      {"FOLDER|$R|",
       [](const fs::path& root) {
         std::ofstream(root / ".versteckt.txt") << "x";
         fs::create_directory(root / "ziel");
         fs::create_directory_symlink(root / "ziel", root / "link");
         ::mkfifo((root / "fifo.txt").c_str(), 0644);
         std::ofstream(root / "b.doc") << "x";
         std::ofstream(root / "gross.txt") << std::string(101, 'x');
       },
       {}, 0, "",
       {"\"skipped\": {\"hidden\": 1, \"folderLinks\": 1, \"specialFiles\": 1, "
        "\"notAccepted\": 1, \"tooLarge\": 1, \"pseudoFileSystems\": 0}"}},
      {"FOLDER|$R/nirgends|\nFOLDER|$R\0x|"s, none, {}, 4,
       "$R/nirgends: Datei nicht gefunden\n$R\\x00x: Datei nicht gefunden\n",
       {"\"foldersMissing\": {\"count\": 2,",
        "{\"path\": \"$R\\u0000x\", \"line\": 3, \"reason\": \"Datei nicht gefunden\"}]}"}},
      // A mistake in the configuration outranks the gap in the search.
      {"FOLDER|$R/nirgends|\nFOO|", none, {}, 1,
       "$C:3: Unbekannter Befehl: \"FOO\"\n$R/nirgends: Datei nicht gefunden\n", {}},
      {"FOLDER|$R|\nNAME|Erika Müller|Müller\nNAME|A\x1B[2K|", none, {}, 0,
       "$C:3: Warnung: \"Erika Müller" + noTerms + "$C:4: Warnung: \"A\\x1B[2K" + noTerms,
       {"{\"name\": \"A\\u001b[2K\", \"line\": 4, \"emptyTerm\": false}]}"}},
      {"FOLDER|$R|\nNAME|Erika Müller|", none, {"--strict"}, 4,
       "$C:3: Warnung: \"Erika Müller" + noTerms, {}},
      {"FOLDER|$R/sub|\nFOLDER|$R|", [](const fs::path& root) { fs::create_directory(root / "sub"); },
       {}, 0,
       "$C:3: Warnung: der Baum von \"$R\" überschneidet sich mit dem von Zeile 2; Dateien darin "
       "zählen doppelt\n",
       {"\"overlappingFolders\": {\"count\": 1, \"truncated\": false, \"items\": [{\"path\": "
        "\"$R\", \"line\": 3, \"earlierLine\": 2}]}"}},
      {"FOLDER|$R|",
       [](const fs::path& root) {
         fs::create_directory(root / "zu");
         std::ofstream(root / "zu/b.txt") << "x";
         fs::permissions(root / "zu", fs::perms::none);
         fs::permissions(root / "a.txt", fs::perms::none);
       },
       {}, 4, "$R/zu: Zugriff verweigert\n$R/a.txt: Zugriff verweigert\n",
       {"\"foldersUnreadable\": {\"count\": 1,", "\"filesUnreadable\": {\"count\": 1,"}, true},
  };
  // clang-format on
  const std::string nobody = NobodyUnavailable();
  for (const Case& row : cases) {
    SCOPED_TRACE(row.lines);
    if (row.asNobody && !nobody.empty()) {
      std::cout << "[  SKIPPED ] the unreadable row: " << nobody << "\n";
      continue;
    }
    InstalledProgram program("abdeckung");
    const fs::path root = program.dir().path() / "Daten";
    program.dir().Write("Daten/a.txt", "Meier");
    row.setup(root);
    const auto fill = [&](const std::string& text) {
      return Replace(Replace(text, "$R", root.string()), "$C", program.ConfigPath().string());
    };
    program.WriteConfig(fill("FILETYPE|*.txt|100|\n" + row.lines + "\n"));
    std::vector<std::string> command;
    if (row.asNobody) {
      command.assign(std::begin(kNobody), std::end(kNobody));
      fs::permissions(program.dir().path(), fs::perms::others_read | fs::perms::others_exec,
                      fs::perm_options::add);
    }
    command.push_back(FUNDORT_REPORT_BINARY);
    command.insert(command.end(), row.arguments.begin(), row.arguments.end());
    for (const std::string& argument : {"--no-log"s, "--format"s, "json"s, fill("$C")})
      command.push_back(argument);

    const ProcessResult result = RunProcess(command);
    EXPECT_EQ(result.ExitStatus, row.status);
    EXPECT_EQ(result.Err, fill(row.err));
    for (const std::string& fragment : row.json)
      EXPECT_NE(result.Out.find(fill(fragment)), std::string::npos) << fill(fragment) << "\n"
                                                                    << result.Out;
  }
}

// Pseudo file systems met below a root are not entered; named as the root, one is walked.
TEST(CoverageReportTest, PseudoFileSystemsAreEnteredOnlyWhenNamed) {
  std::ifstream mounts("/proc/self/mounts");
  const std::string table{std::istreambuf_iterator<char>(mounts), {}};
  if (table.find(" /dev/pts devpts ") == std::string::npos) {
    GTEST_SKIP() << "no devpts mounted at /dev/pts";
  }
  InstalledProgram program("pseudo");
  for (const auto& [folder, skipped] : {std::pair{"/dev", true}, std::pair{"/dev/pts", false}}) {
    program.WriteConfig("FOLDER|"s + folder + "|\n");
    const ProcessResult result = RunProcess(
        {FUNDORT_REPORT_BINARY, "--no-log", "--format", "json", program.ConfigPath().string()});
    EXPECT_EQ(result.ExitStatus, 0) << result.Err;
    EXPECT_EQ(result.Out.find("\"pseudoFileSystems\": 0}") == std::string::npos, skipped)
        << folder << ": " << result.Out.substr(result.Out.find("\"skipped\""));
  }
}

}  // namespace
