#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Texts = std::vector<std::u16string>;

TEST(RunSequenceTest, LoadShowsTheInitialDisplayAndLogsStart) {
  TestProgram program("finder");
  TestRun run(program);
  run.form->Form_Load();
  const MainForm& form = *run.form;
  EXPECT_EQ(form.Caption.Caption + u" " + form.Status.Caption + u" " + form.anzFolders.Caption +
                u" " + form.anzFiles.Caption + u" " + form.allSize.Caption,
            u"finder Start 0 0 0 B");
  EXPECT_EQ(form.processBar.Width, 0.0F);
  EXPECT_EQ(form.Folders.size() + form.Files.size() + form.FileTypes.size() + form.Persons.size(),
            4u);
  EXPECT_EQ(form.SearchMode, 1);
  EXPECT_EQ(form.AppDir, U16(program.dir().path().string() + "/"));
  EXPECT_EQ(form.ConfigFile, U16(program.ConfigPath().string()));
  EXPECT_EQ(program.LogLines(), Lines{"START finder"});
}

TEST(RunSequenceTest, MissingConfigurationShowsTheBoxAndStillSearches) {
  // No file, a folder in its place, and a hidden file all count as missing.
  for (const std::string name : {"fundort", "folder", ".hidden"}) {
    TestProgram program(name);
    if (name == "folder") fs::create_directory(program.ConfigPath());
    if (name == ".hidden") program.WriteConfig("FOO|\r\n");
    TestRun run(program);
    run.LoadAndRun();
    ASSERT_EQ(run.window.Boxes.size(), 1u) << name;
    const MessageRequest& box = run.window.Boxes[0];
    EXPECT_EQ(box.Title + u": " + box.Text,
              u"Fehler: Die Konfigurationsdatei wurde nicht gefunden.");
    EXPECT_EQ(box.Icon, MessageIcon::Critical);
    EXPECT_EQ(box.Buttons, MessageButtons::Ok);
    EXPECT_EQ(run.window.StatusTexts.back(), u"fertig");
    run.form->Form_Unload();
    EXPECT_TRUE(run.window.Closed);
    EXPECT_EQ(program.LogLines(), (Lines{"START " + name, "EXIT"}));
  }
}

TEST(RunSequenceTest, UnreadableConfigurationIsReportedAndTheRunGoesOn) {
  if (::geteuid() == 0) GTEST_SKIP() << "root can read every file";
  TestProgram program;
  program.WriteConfig("FOLDER|/|\r\n");
  ::chmod(program.ConfigPath().c_str(), 0);
  TestRun run(program);
  run.LoadAndRun();
  ASSERT_EQ(run.window.Boxes.size(), 1u);
  EXPECT_EQ(run.window.Boxes[0].Text,
            u"Die Konfigurationsdatei kann nicht gelesen werden. Zugriff verweigert");
  EXPECT_EQ(run.form->Status.Caption, u"fertig");
  EXPECT_EQ(program.LogLines(), Lines{"START fundort"});
}

TEST(RunSequenceTest, EveryLineIsHandedOnThenTheSearchRuns) {
  // The loop shows the loading text before every line it hands on ("|": an empty command).
  const std::pair<std::string, int> cases[] = {
      {"", 0},       {"|", 1},      {"|\r\n", 1},          {"|\r\n|", 2},
      {"|\r|\r", 2}, {"|\n|\n", 2}, {"|\r\n\r\n|\r\n", 3}, {"|\n\r|", 3},
  };
  for (const auto& [bytes, lines] : cases) {
    TestProgram program;
    program.WriteConfig(bytes);
    TestRun run(program);
    run.LoadAndRun();
    Texts expected{u"Start"};
    expected.insert(expected.end(), lines, u"lade Konfigurationen...");
    expected.insert(expected.end(), {u"durchsuche Dateien...", u"fertig"});
    EXPECT_EQ(run.window.StatusTexts, expected) << bytes;
    EXPECT_TRUE(run.window.Boxes.empty());
  }
}

TEST(RunSequenceTest, CloseBeforeTheRunLogsExitAndTheRunDoesNothing) {
  TestProgram program;
  program.WriteConfig("FOO|\r\nBAR|\r\n");
  TestRun run(program);
  run.form->Form_Load();
  run.form->Form_Unload();
  run.form->StartTimer_Timer();
  EXPECT_EQ(run.form->Status.Caption, u"Start");
  EXPECT_TRUE(run.window.Boxes.empty());
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", "EXIT"}));
}

TEST(RunSequenceTest, CloseDuringAWalkEndsTheRunBeforeTheNextLine) {
  TestProgram program;
  program.dir().Write("tree/a.txt", "x");
  program.dir().Write("tree/b.txt", "x");
  const std::string folder = "FOLDER|" + (program.dir().path() / "tree").string() + "|";
  program.WriteConfig("FILETYPE|*.txt|\r\nNAME|Alle|\r\n" + folder + "\r\nNAME|Nord|x|\r\n");
  TestRun run(program);
  run.window.At(1, UserCloses());  // after the walk's first entry
  run.LoadAndRun();
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", "CONFIG: FILETYPE|*.txt|",
                                       "CONFIG: NAME|Alle|", "CONFIG: " + folder, "EXIT"}));
  EXPECT_EQ(run.form->Persons.size(), 2u);
  EXPECT_EQ(run.form->Files.size(), 2u);
  EXPECT_EQ(run.form->Status.Caption, u"lese Verzeichnis aus...");
  EXPECT_EQ(run.window.Points, 1);
}

TEST(ActivityLogTest, LogIsAppendedAcrossRunsAndLineBreaksCannotSplitALine) {
  TestProgram program;
  for (int i = 0; i < 2; ++i) {
    TestRun run(program);
    run.form->Form_Load();
    run.form->WriteLog(u"found new file: /tmp/evil\r\nKILL: /etc/passwd\n");
    run.form->Form_Unload();
  }
  const std::string forged = "found new file: /tmp/evil??KILL: /etc/passwd?";
  EXPECT_EQ(program.LogLines(),
            (Lines{"START fundort", forged, "EXIT", "START fundort", forged, "EXIT"}));
}

TEST(ActivityLogTest, UnwritableLogChangesNothingElse) {
  TestProgram program;
  fs::create_directory(program.LogPath());
  program.dir().Write("data/a.txt", "");
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + (program.dir().path() / "data").string() +
                      "|\r\nNAME|Alle|\r\n");
  TestRun run(program);
  run.LoadAndRun();
  run.form->Form_Unload();
  EXPECT_TRUE(fs::is_empty(program.LogPath()));
  EXPECT_EQ(run.form->Persons[1].Hits, u"|1|");
  EXPECT_EQ(run.window.StatusTexts.back(), u"fertig");
  EXPECT_TRUE(run.window.Boxes.empty());
  EXPECT_TRUE(run.window.Closed);
}

TEST(ActivityLogTest, LogCanGoToAChosenFileOrNowhere) {
  TestProgram program;
  MainFormOptions options = program.Options();
  options.Log = LogDestination::File;
  options.LogFile = U16((program.dir().path() / "elsewhere.log").string());
  TestRun(options).form->Form_Load();
  options.Log = LogDestination::None;
  TestRun(options).form->Form_Load();
  EXPECT_TRUE(fs::exists(program.dir().path() / "elsewhere.log"));
  EXPECT_FALSE(fs::exists(program.LogPath()));
}

}  // namespace
