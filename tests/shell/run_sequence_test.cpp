#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

TEST(RunSequenceTest, LoadShowsTheInitialDisplayAndLogsStart) {
  TestProgram program("finder");
  TestRun run(program);
  run.form->Form_Load();
  const MainForm& form = *run.form;
  EXPECT_EQ(form.Caption.Caption, u"finder");
  EXPECT_EQ(form.Status.Caption, u"Start");
  EXPECT_EQ(form.anzFolders.Caption, u"0");
  EXPECT_EQ(form.anzFiles.Caption, u"0");
  EXPECT_EQ(form.allSize.Caption, u"0 B");
  EXPECT_EQ(form.processBar.Width, 0.0F);
  EXPECT_EQ(form.Folders.size(), 1u);
  EXPECT_EQ(form.Files.size(), 1u);
  EXPECT_EQ(form.FileTypes.size(), 1u);
  EXPECT_EQ(form.Persons.size(), 1u);
  EXPECT_EQ(form.SearchMode, 1);
  EXPECT_FALSE(form.StopRequested);
  EXPECT_EQ(form.AppDir, U16(program.dir().path().string() + "/"));
  EXPECT_EQ(form.ConfigFile, U16(program.ConfigPath().string()));
  EXPECT_TRUE(form.StartTimer.Enabled);
  EXPECT_EQ(program.LogLines(), Lines{"START finder"});
}

TEST(RunSequenceTest, MissingConfigurationShowsTheBoxAndStillSearches) {
  TestProgram program;
  TestRun run(program);
  run.LoadAndRun();
  ASSERT_EQ(run.window.Boxes.size(), 1u);
  EXPECT_EQ(run.window.Boxes[0].Text, u"Die Konfigurationsdatei wurde nicht gefunden.");
  EXPECT_EQ(run.window.Boxes[0].Title, u"Fehler");
  EXPECT_EQ(run.window.Boxes[0].Icon, MessageIcon::Critical);
  EXPECT_EQ(run.window.Boxes[0].Buttons, MessageButtons::Ok);
  EXPECT_FALSE(run.form->StartTimer.Enabled);
  EXPECT_EQ(run.form->Status.Caption, u"fertig");
  EXPECT_EQ(program.LogLines(), Lines{"START fundort"});
  run.form->Form_Unload();
  EXPECT_TRUE(run.window.Closed);
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", "EXIT"}));
}

TEST(RunSequenceTest, FoldersAndHiddenFilesCountAsMissing) {
  {
    TestProgram program;
    std::filesystem::create_directory(program.ConfigPath());
    TestRun run(program);
    run.LoadAndRun();
    ASSERT_EQ(run.window.Boxes.size(), 1u);
    EXPECT_EQ(run.window.Boxes[0].Text, u"Die Konfigurationsdatei wurde nicht gefunden.");
  }
  {
    TestProgram program(".hidden");
    program.WriteConfig("FOO|\r\n");
    TestRun run(program);
    run.LoadAndRun();
    ASSERT_EQ(run.window.Boxes.size(), 1u);
    EXPECT_EQ(run.window.Boxes[0].Text, u"Die Konfigurationsdatei wurde nicht gefunden.");
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

TEST(RunSequenceTest, StatusRunsThroughLoadingAndSearchTexts) {
  TestProgram program;
  program.WriteConfig("\r\n\r\n");
  TestRun run(program);
  run.LoadAndRun();
  EXPECT_EQ(
      run.window.StatusTexts,
      (std::vector<std::u16string>{u"Start", u"lade Konfigurationen...", u"lade Konfigurationen...",
                                   u"durchsuche Dateien...", u"fertig"}));
  EXPECT_TRUE(run.window.Boxes.empty());
}

TEST(RunSequenceTest, LineEndsSplitLinesAsThePlatformDefines) {
  struct Case {
    std::string bytes;
    int expectedLines;
  };
  // The loop sets the loading text before every line it hands on, so those texts count lines.
  const Case cases[] = {
      {"", 0},       {"A", 1},      {"A\r\n", 1},          {"A\r\nB", 2},
      {"A\rB\r", 2}, {"A\nB\n", 2}, {"A\r\n\r\nB\r\n", 3}, {"A\n\rB", 3},
  };
  for (const auto& c : cases) {
    TestProgram program;
    program.WriteConfigBytes(c.bytes);
    TestRun run(program);
    run.LoadAndRun();
    int loading = 0;
    for (const auto& text : run.window.StatusTexts)
      loading += text == u"lade Konfigurationen...";
    EXPECT_EQ(loading, c.expectedLines) << c.bytes;
  }
}

TEST(RunSequenceTest, CloseBeforeTheRunLogsExitAndTheRunDoesNothing) {
  TestProgram program;
  program.WriteConfig("FOO|\r\nBAR|\r\n");
  TestRun run(program);
  run.form->Form_Load();
  run.form->Form_Unload();
  run.form->StartTimer_Timer();
  EXPECT_NE(run.form->Status.Caption, u"fertig");
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", "EXIT"}));
}

TEST(ActivityLogTest, LogIsAppendedAcrossRunsAndLineBreaksCannotSplitALine) {
  TestProgram program;
  for (int i = 0; i < 2; ++i) {
    TestRun run(program);
    run.form->Form_Load();
    run.form->WriteLog(u"found new file: /tmp/evil\r\nKILL: /etc/passwd\n");
    run.form->Form_Unload();
  }
  EXPECT_EQ(program.LogLines(),
            (Lines{"START fundort", "found new file: /tmp/evil??KILL: /etc/passwd?", "EXIT",
                   "START fundort", "found new file: /tmp/evil??KILL: /etc/passwd?", "EXIT"}));
}

TEST(ActivityLogTest, UnwritableLogChangesNothingElse) {
  if (::geteuid() == 0) GTEST_SKIP() << "root can write every folder";
  TestProgram program;
  ::chmod(program.dir().path().c_str(), 0555);
  TestRun run(program);
  run.LoadAndRun();
  run.form->Form_Unload();
  ::chmod(program.dir().path().c_str(), 0755);
  EXPECT_FALSE(std::filesystem::exists(program.LogPath()));
  EXPECT_EQ(run.form->Status.Caption, u"fertig");
  EXPECT_TRUE(run.window.Closed);
}

TEST(ActivityLogTest, TextOutsideTheCodePageIsWrittenAsQuestionMarks) {
  TestProgram program;
  TestRun run(program);
  run.form->Form_Load();
  run.form->WriteLog(u"KILL: Müller\u4E2D");
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", "KILL: Müller?"}));
}

TEST(ActivityLogTest, LogCanGoToAChosenFileOrNowhere) {
  TestProgram program;
  MainFormOptions options = program.Options();
  options.Log = LogDestination::File;
  options.LogFile = U16((program.dir().path() / "elsewhere.log").string());
  {
    TestRun run(options);
    run.form->Form_Load();
  }
  EXPECT_TRUE(std::filesystem::exists(program.dir().path() / "elsewhere.log"));
  EXPECT_FALSE(std::filesystem::exists(program.LogPath()));
  options.Log = LogDestination::None;
  TestRun run(options);
  run.form->Form_Load();
  EXPECT_FALSE(std::filesystem::exists(program.LogPath()));
}

TEST(StatusDisplayTest, ProgressFillsTheInsideOfItsFrame) {
  TestProgram program;
  TestRun run(program);
  run.form->SetProgress(1);
  EXPECT_EQ(run.form->processBar.Width, 6315.0F);
  run.form->SetProgress(0.5);
  EXPECT_EQ(run.form->processBar.Width, 3157.5F);
  run.form->SetProgress(-0.5);
  EXPECT_EQ(run.form->processBar.Width, 0.0F);
  run.form->SetFolderCount(-3);
  EXPECT_EQ(run.form->anzFolders.Caption, u"-3");
}

}  // namespace
