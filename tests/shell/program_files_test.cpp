// Where the window keeps its configuration and log: beside a portable copy, in the user's folders
// for an installed one; and what an installed window does without a configuration.
#include "shell/program_files.h"

#include <gtest/gtest.h>

#include "testing/fake_window.h"
#include "testing/test_program.h"

namespace {

TEST(ProgramFilesTest, AnInstalledProgramUsesTheUsersFoldersUnderItsOwnName) {
  const struct {
    std::u16string program, configHome;  // configHome: XDG_CONFIG_HOME, empty when unset
    bool writable;
    std::u16string config, log;
  } cases[] = {
      {u"/opt/f/fundort", u"", true, u"/opt/f/fundort.cfg", u"/opt/f/fundort.log"},
      {u"/opt/f/finder.bin", u"/c", true, u"/opt/f/finder.cfg", u"/opt/f/finder.log"},
      {u"/opt/f/fundort", u"rel", false, u"/home/user/.config/fundort/fundort.cfg",
       u"/home/user/.local/state/fundort/fundort.log"},  // a relative value is not used
      {u"/usr/bin/finder", u"/c/", true, u"/c/finder/finder.cfg",
       u"/home/user/.local/state/finder/finder.log"},
  };
  for (const auto& c : cases) {
    FakeSystem system;
    if (!c.writable) system.ProtectedFolders.push_back(u"/opt/f/");
    if (!c.configHome.empty()) system.Environment[u"XDG_CONFIG_HOME"] = c.configHome;
    const ProgramFiles files = ChooseProgramFiles(system, c.program);
    EXPECT_EQ(files.ConfigFile + u" " + files.LogFile, c.config + u" " + c.log);
    EXPECT_EQ(files.Place == FilesPlace::ProgramFolder, c.config.starts_with(u"/opt/"));
  }
}

// Without a configuration the installed window says where it looked and, when the user agrees,
// writes the starter configuration there and opens it; the next start runs on it and logs in the
// state folder.
TEST(ProgramFilesTest, AMissingConfigurationInTheUsersFolderIsOfferedToStartFrom) {
  const std::u16string config = u"/home/user/.config/fundort/fundort.cfg";
  FakeSystem system;
  const ProgramFiles files = ChooseProgramFiles(system, u"/usr/bin/fundort");
  WindowRun run(OptionsFor(files, system));
  run.model->OfferStarterConfiguration();
  run.window.AnswerNext(MessageAnswer::Yes);
  run.LoadAndRun();
  EXPECT_NE(run.window.Boxes.at(0).Text.find(config), std::u16string::npos);
  EXPECT_EQ(system.Edited, std::vector{config});
  EXPECT_NE(system.Contents(config).find("\nFOLDER|/home/user|\nNAME|Erika Müller|"),
            std::string::npos);
  WindowRun again(OptionsFor(files, system));
  again.LoadAndRun();
  EXPECT_EQ(again.model->personList.Items.size(), 5u);
  EXPECT_EQ(LogLinesOf(system.Contents(files.LogFile)).size(), 12u);  // 2 STARTs, 10 CONFIGs
}

// A log that cannot be written stops nothing, but the status line says so and why.
TEST(ProgramFilesTest, ALogThatCannotBeWrittenIsSaidInTheStatusLine) {
  TestProgram program;
  program.system().Fail(FakeSystem::Operation::Append, program.LogPath());
  WindowRun run(program.Options());
  run.LoadAndRun();
  EXPECT_EQ(run.model->statusLabel.Caption,
            u"fertig – Protokoll kann nicht geschrieben werden: Zugriff verweigert");
}

}  // namespace
