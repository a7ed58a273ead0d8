// Where the window keeps its configuration and log: beside a portable copy, in the user's folders
// for an installed one; and what an installed window does when it has no configuration yet.
#include "shell/program_files.h"

#include <gtest/gtest.h>

#include "testing/fake_window.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ProgramFilesTest, AnInstalledProgramUsesTheUsersFoldersUnderItsOwnName) {
  const struct {
    std::u16string program;
    bool writable;
    std::u16string configHome, stateHome;  // the XDG variables; empty: unset
    std::u16string config, log;            // empty: beside the program
  } cases[] = {
      {u"/opt/fundort/fundort", true, u"", u"", u"", u""},
      {u"/opt/fundort/finder.bin", true, u"/x", u"/y", u"", u""},
      {u"/opt/fundort/fundort", false, u"", u"", u"/home/user/.config/fundort/fundort.cfg",
       u"/home/user/.local/state/fundort/fundort.log"},
      {u"/usr/bin/finder", true, u"/cfg/", u"/state", u"/cfg/finder/finder.cfg",
       u"/state/finder/finder.log"},
      // Relative values are not to be used: the defaults stand.
      {u"/usr/local/bin/fundort", false, u"cfg", u"", u"/home/user/.config/fundort/fundort.cfg",
       u"/home/user/.local/state/fundort/fundort.log"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.program));
    FakeSystem system;
    const std::u16string folder = c.program.substr(0, c.program.rfind(u'/') + 1);
    if (!c.writable) system.ProtectFolder(folder);
    if (!c.configHome.empty()) system.SetEnvironmentVariable(u"XDG_CONFIG_HOME", c.configHome);
    if (!c.stateHome.empty()) system.SetEnvironmentVariable(u"XDG_STATE_HOME", c.stateHome);
    const ProgramFiles files = ChooseProgramFiles(system, c.program);
    if (c.config.empty()) {
      const std::u16string base = c.program.substr(0, c.program.find(u'.', folder.size()));
      EXPECT_EQ(files.Place, FilesPlace::ProgramFolder);
      EXPECT_EQ(files.ConfigFile, base + u".cfg");
      EXPECT_EQ(files.LogFile, base + u".log");
    } else {
      EXPECT_EQ(files.Place, FilesPlace::UserFolders);
      EXPECT_EQ(files.ConfigFile, c.config);
      EXPECT_EQ(files.LogFile, c.log);
    }
  }
}

// An installed window runs on the configuration in the user's folder and logs to the state
// folder; relative FOLDER paths start at the configuration's folder.
TEST(ProgramFilesTest, AnInstalledWindowReadsAndLogsInTheUsersFolders) {
  FakeSystem system;
  system.SetExecutablePath(u"/usr/bin/fundort");
  system.AddFile(u"/home/user/.config/fundort/fundort.cfg",
                 "FILETYPE|*.txt|\nFOLDER|briefe|\nNAME|Nord|Nord|\n");
  system.AddFile(u"/home/user/.config/fundort/briefe/a.txt", "Nord");
  const ProgramFiles files = ChooseProgramFiles(system, system.ExecutablePath());
  WindowRun run(OptionsFor(files, system));
  run.LoadAndRun();
  run.model->personList.ListIndex = 0;
  run.model->OnPersonSelected();
  EXPECT_EQ(run.model->pathBox.Text, u"/home/user/.config/fundort/briefe/a.txt");
  EXPECT_EQ(LogLinesOf(system.Contents(files.LogFile)).size(), 5u);
  EXPECT_TRUE(run.window.Boxes.empty());
}

// Without a configuration the installed window says where it looked and, when the user agrees,
// writes the starter configuration there (the demo's persons over the home folder) and opens it;
// refused, nothing is written. A portable copy only says that the configuration is missing.
TEST(ProgramFilesTest, AMissingConfigurationInTheUsersFolderIsOfferedToStartFrom) {
  const std::u16string config = u"/home/user/.config/fundort/fundort.cfg";
  for (const MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
    FakeSystem system;
    system.SetExecutablePath(u"/usr/bin/fundort");
    WindowRun run(OptionsFor(ChooseProgramFiles(system, system.ExecutablePath()), system));
    run.model->OfferStarterConfiguration();
    run.window.AnswerNext(answer);
    run.LoadAndRun();
    ASSERT_EQ(run.window.Boxes.size(), 1u);
    EXPECT_EQ(run.window.Boxes[0].Buttons, MessageButtons::YesNo);
    EXPECT_NE(run.window.Boxes[0].Text.find(config), std::u16string::npos);
    if (answer == MessageAnswer::Yes) {
      const Lines lines = LogLinesOf(Replace(system.Contents(config), "\n", "\r\n"));
      EXPECT_EQ(lines.size(), 10u);
      EXPECT_EQ(lines[4], "FOLDER|/home/user|");
      EXPECT_EQ(lines[5], "NAME|Erika Müller|Müller|Hafenstraße 12|");
      EXPECT_EQ(system.Edited, std::vector<std::u16string>{config});
    } else {
      EXPECT_FALSE(system.Exists(config));
      EXPECT_TRUE(system.Edited.empty());
    }
  }
  TestProgram portable;
  WindowRun run(portable.Options());
  run.LoadAndRun();
  ASSERT_EQ(run.window.Boxes.size(), 1u);
  EXPECT_EQ(run.window.Boxes[0].Text, u"Die Konfigurationsdatei wurde nicht gefunden.");
}

// A log that cannot be written stops nothing, but the status line says so with the reason from
// the first lost line on; a log that works adds nothing to it.
TEST(ProgramFilesTest, ALogThatCannotBeWrittenIsSaidInTheStatusLine) {
  for (const bool fails : {false, true}) {
    TestProgram program;
    program.WriteConfig("NAME|A|a|\r\n");
    if (fails) program.system().Fail(FakeSystem::Operation::Append, program.LogPath());
    WindowRun run(program.Options());
    run.LoadAndRun();
    const std::u16string& status = run.model->statusLabel.Caption;
    EXPECT_TRUE(status.starts_with(u"fertig"));
    EXPECT_EQ(status.find(u"Protokoll kann nicht geschrieben werden: ") != std::u16string::npos,
              fails);
    EXPECT_EQ(run.model->personList.Items.size(), 1u);
  }
}

}  // namespace
