#include "run/run_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;
using Errors = std::vector<RecordedError>;
using Rules = FakeSystem::Rules;
using Operation = FakeSystem::Operation;

const std::string kConfig = "FILETYPE|*.txt|\r\nFOLDER|/prog/data|\r\n";

// A whole run: every known configuration line logged as written before it acts, then the hits of
// the walked files in order, every file that could not be read, and the end. A faulty line is
// reported with its number and the run goes on. The program's extension names nothing. A found
// file the system will not delete stays: "KILL:" is logged first, then the failure.
TEST(RunSessionTest, ARunLogsWhatItDoesInOrder) {
  for (const Rules rules : {Rules::Posix, Rules::Windows}) {
    TestProgram program("fundort", rules);
    program.system().SetExecutablePath(program.Path("fundort.exe"));
    program.Write("data/a.txt", Cp1252("Herr Weiß"));
    program.Write("data/b.txt", "Weiß");
    program.Write("data/c.log", "Weiß");
    program.system().Fail(Operation::Open, program.Path("data/b.txt"));
    const std::string folder = Utf8(program.Path("data"));
    program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + folder +
                        "|\r\nNAME|Jürgen Weiß|weiß|\r\nSUCHE|x|\r\nNAME|Alle|\r\n");
    TestRun run(program);
    run.LoadAndRun();
    program.system().Fail(Operation::Delete, program.Path("data/a.txt"));
    EXPECT_TRUE(run.session->DeleteFound(program.Path("data/a.txt"), FileId{0}));  // failed
    run.session->End();
    const std::string a = Utf8(program.Path("data/a.txt"));
    EXPECT_EQ(program.LogLines(),
              (Lines{"START fundort", "CONFIG: FILETYPE|*.txt|", "CONFIG: FOLDER|" + folder + "|",
                     "CONFIG: NAME|Jürgen Weiß|weiß|", "CONFIG: NAME|Alle|", "found new file: " + a,
                     "found new file: " + a,
                     "ERROR: cannot read file: " + Utf8(program.Path("data/b.txt")), "KILL: " + a,
                     "ERROR: Zugriff verweigert", "EXIT"}));
    EXPECT_EQ(run.observer.Errors, (Errors{{u"Unbekannter Befehl: \"SUCHE\"", 4}}));
    EXPECT_EQ(run.session->UnreadableFiles(), std::vector{FileId{1}});
    EXPECT_EQ(run.session->Outcome().Configuration, ConfigurationState::Read);
  }
}

TEST(RunSessionTest, AMissingHiddenOrUnreadableConfigurationIsReportedAndTheRunGoesOn) {
  const std::u16string missing = u"Die Konfigurationsdatei wurde nicht gefunden.";
  const std::u16string unreadable = u"Die Konfigurationsdatei kann nicht gelesen werden. ";
  const struct {
    std::string name;  // the program's base name, which says what is done to its configuration
    Rules rules;
    std::u16string message;
    ConfigurationState state;
  } cases[] = {
      {"fundort", Rules::Posix, missing, ConfigurationState::Missing},
      {"folder", Rules::Posix, missing, ConfigurationState::Missing},
      {".hidden", Rules::Posix, missing, ConfigurationState::Missing},
      {"attribute", Rules::Windows, missing, ConfigurationState::Missing},
      {"closed", Rules::Posix, unreadable + u"Zugriff verweigert", ConfigurationState::Unreadable},
      {"broken", Rules::Windows, unreadable + u"E/A-Fehler", ConfigurationState::Unreadable},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestProgram program(c.name, c.rules);
    FakeSystem& system = program.system();
    if (c.name == "folder") system.AddFolder(program.ConfigPath());
    if (c.name == "attribute")
      system.AddFile(program.ConfigPath(), "NAME|P|\r\n", FakeSystem::Attribute::Hidden);
    if (c.name == ".hidden" || c.name == "closed" || c.name == "broken")
      program.WriteConfig("NAME|P|\r\n");
    if (c.name == "closed") system.Fail(Operation::Open, program.ConfigPath());
    if (c.name == "broken")
      system.Fail(Operation::Read, program.ConfigPath(), platform::ErrorKind::Other);
    TestRun run(program);
    run.LoadAndRun();
    run.session->End();
    EXPECT_EQ(run.observer.Errors, (Errors{{c.message, 0}}));
    EXPECT_EQ(run.session->Status(), u"fertig");
    EXPECT_EQ(run.session->Persons().Count(), 0u);
    EXPECT_EQ(run.session->Outcome().Configuration, c.state);
    EXPECT_EQ(run.session->Outcome().ErrorsReported, 1);
    EXPECT_EQ(program.LogLines(), (Lines{"START " + c.name, "EXIT"}));
  }
}

// Closed at any checkpoint (between configuration lines, folder entries, files, blocks or terms),
// the run stops there: "EXIT" is the last line, the lines before it are those a whole run
// writes first, so no hit comes from half a file.
TEST(RunSessionTest, AStopAtAnyCheckpointEndsTheRunThere) {
  TestProgram program;
  program.Write("data/a.txt", "xx Nord xx");
  program.Write("data/sub/b.txt", "Nord Hafen");
  program.WriteConfig(kConfig + "NAME|Nord|x|Nord|\r\nNAME|Hafen|Hafen|\r\n");
  RunOptions options = program.Options();
  options.Reading.BlockBytes = 4;
  TestRun(options).LoadAndRun();
  const Lines whole = program.LogLines();
  int stops = 0;
  for (int at = 1; at < 1000; ++at, ++stops) {
    program.system().DeleteFile(program.LogPath());
    TestRun run(options);
    run.observer.At(at, UserCloses());
    run.LoadAndRun();
    if (!run.session->Outcome().Stopped) break;  // no checkpoint left to stop at
    Lines log = program.LogLines();
    ASSERT_EQ(log.back(), "EXIT") << at;
    log.pop_back();
    EXPECT_EQ(log, Lines(whole.begin(), whole.begin() + std::ssize(log))) << at;
  }
  EXPECT_GT(stops, 0);
}

// A file deleted while the search runs is gone for it when the search has yet to reach it,
// even when it was read ahead, and the file being read goes on, however the files are read.
TEST(RunSessionTest, AFileDeletedDuringTheSearchIsGoneForIt) {
  for (const ReadThread thread : {ReadThread::Helper, ReadThread::Caller}) {
    for (const std::int64_t mapFrom : {std::int64_t{0}, std::int64_t{1} << 40}) {
      TestProgram program;
      for (const char* name : {"data/a.txt", "data/b.txt", "data/c.txt"})
        program.Write(name, "xx Nord xx");
      program.WriteConfig(kConfig + "NAME|Nord|Nord|\r\n");
      RunOptions options = program.Options();
      options.Reading = {.BlockBytes = 4, .MapFrom = mapFrom, .MapBytes = 4, .Thread = thread};
      options.SearchWorkers = 1;  // the reader of one worker, checked between its blocks
      TestRun run(options);
      const std::u16string c = program.Path("data/c.txt");
      for (int at = 1; at < 100; ++at) {
        run.observer.At(at, [&](RunSession& session) {
          if (session.Status() != u"a.txt" || !program.system().Exists(c)) return;
          std::this_thread::sleep_for(std::chrono::milliseconds(20));  // time to read c ahead
          session.DeleteFound(c, FileId{2});
        });
      }
      run.LoadAndRun();
      EXPECT_EQ(program.LogLines(),
                (Lines{"START fundort", "CONFIG: FILETYPE|*.txt|", "CONFIG: FOLDER|/prog/data|",
                       "CONFIG: NAME|Nord|Nord|", "KILL: /prog/data/c.txt",
                       "found new file: /prog/data/a.txt", "found new file: /prog/data/b.txt",
                       "ERROR: cannot read file: /prog/data/c.txt"}));
    }
  }
}

// A relative FOLDER path is taken from the configuration's folder, not from the working folder
// the program was started in, and the paths of the hits are full ones; a configuration named
// relatively is found from the working folder.
TEST(RunSessionTest, ARelativeFolderIsTakenFromTheConfigurationsFolder) {
  const struct {
    Rules rules;
    std::u16string config;  // the configuration as the front end names it; empty: the program's
    std::string folder;     // the FOLDER line's path
    std::u16string hit;     // the path of the one hit; empty: none
  } cases[] = {
      {Rules::Posix, u"", "data", u"/prog/data/a.txt"},
      {Rules::Posix, u"fundort.cfg", "data", u"/prog/data/a.txt"},         // started in /prog
      {Rules::Posix, u"./prog/fundort.cfg", "data", u"/prog/data/a.txt"},  // started in /
      {Rules::Windows, u"", ".\\data", u"C:\\prog\\data\\a.txt"},
      {Rules::Windows, u"", "\\data", u""},  // the root of the current drive, not the program's
      {Rules::Windows, u"prog/fundort.cfg", "data", u"C:\\prog\\data\\a.txt"},  // started in C:
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.config) + " " + c.folder);
    TestProgram program("fundort", c.rules);
    if (c.config.starts_with(u"fundort")) program.system().SetCurrentFolder(program.Path(""));
    program.Write("data/a.txt", "Nord");
    program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + c.folder + "|\r\nNAME|Nord|Nord|\r\n");
    RunOptions options = program.Options();
    if (!c.config.empty()) options.ConfigFileOverride = c.config;
    TestRun run(options);
    run.LoadAndRun();
    const auto& files = run.session->Hits().FilesOf(PersonId{0});
    EXPECT_EQ(files.empty() ? u"" : run.session->Catalog().FilePath(files[0]), c.hit);
  }
}

// The same on the real system: the log beside the program, the found file deleted for good.
TEST(RunSessionTest, ARunOnARealTreeLogsAndDeletesTheFoundFile) {
  InstalledProgram program;
  program.dir().Write("tree/sub/a.txt", "Herr Nord");
  program.dir().Write("tree/b.txt", "nichts");
  const std::string tree = (program.dir().path() / "tree").string();
  const std::string file = (program.dir().path() / "tree" / "sub" / "a.txt").string();
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + tree + "|\r\nNAME|Nord|nord|\r\n");
  TestRun run(program.Options());
  run.LoadAndRun();
  ASSERT_EQ(run.session->Hits().CountOf(PersonId{0}), 1u);
  EXPECT_FALSE(run.session->DeleteFound(U16(file), run.session->Hits().FilesOf(PersonId{0})[0]));
  run.session->End();
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(program.LogLines(),
            (Lines{"START fundort", "CONFIG: FILETYPE|*.txt|", "CONFIG: FOLDER|" + tree + "|",
                   "CONFIG: NAME|Nord|nord|", "found new file: " + file, "KILL: " + file, "EXIT"}));
}

}  // namespace
