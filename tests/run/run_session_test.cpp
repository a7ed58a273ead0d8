#include <gtest/gtest.h>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;
using Texts = std::vector<std::u16string>;
using Rules = FakeSystem::Rules;

TEST(RunSequenceTest, MissingOrUnreadableConfigurationIsReportedAndTheRunGoesOn) {
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
    TestProgram program(c.name, c.rules);
    FakeSystem& system = program.system();
    if (c.name == "folder") {
      system.AddFolder(program.ConfigPath());
    } else if (c.name == "attribute") {
      system.AddFile(program.ConfigPath(), "NAME|P|\r\n", FakeSystem::Attribute::Hidden);
    } else if (c.name != "fundort") {
      program.WriteConfig("NAME|P|\r\n");
    }
    if (c.name == "closed") system.Fail(FakeSystem::Operation::Open, program.ConfigPath());
    if (c.name == "broken") {
      system.Fail(FakeSystem::Operation::Read, program.ConfigPath(), platform::ErrorKind::Other);
    }
    TestRun run(program);
    run.LoadAndRun();
    ASSERT_EQ(run.window.Boxes.size(), 1u) << c.name;
    const MessageRequest& box = run.window.Boxes[0];
    EXPECT_EQ(box.Title + u": " + box.Text, u"Fehler: " + c.message);
    EXPECT_TRUE(box.Buttons == MessageButtons::Ok);
    EXPECT_EQ(run.window.StatusTexts.back(), u"fertig");
    EXPECT_EQ(
        run.form->Caption.Caption + u" " + run.form->allSize.Caption + u" " + run.form->ConfigFile,
        U16(c.name) + u" 0 B " + program.ConfigPath());
    EXPECT_EQ(run.form->Outcome().Configuration, c.state) << c.name;
    EXPECT_EQ(run.form->Outcome().MessagesShown, 1);
    run.form->Form_Unload();
    EXPECT_TRUE(run.window.Closed);
    EXPECT_EQ(program.LogLines(), (Lines{"START " + c.name, "EXIT"}));
  }
}

TEST(RunSequenceTest, ProgramFolderAndBaseNameComeFromTheExecutable) {
  const struct {
    std::u16string executable;
    Rules rules;
    std::u16string appDir, configFile;
  } cases[] = {
      {u"/opt/fundort/finder", Rules::Posix, u"/opt/fundort/", u"/opt/fundort/finder.cfg"},
      {u"/finder.bin", Rules::Posix, u"/", u"/finder.cfg"},
      {u"D:\\Tools\\finder.exe", Rules::Windows, u"D:\\Tools\\", u"D:\\Tools\\finder.cfg"},
      {u"C:\\finder.exe", Rules::Windows, u"C:\\", u"C:\\finder.cfg"},
      {u"C:\\a.b\\finder", Rules::Windows, u"C:\\a.b\\", u"C:\\a.b\\finder.cfg"},
  };
  for (const auto& c : cases) {
    FakeSystem system(c.rules);
    system.SetExecutablePath(c.executable);
    TestRun run(MainFormOptions{.System = system});
    run.form->Form_Load();
    EXPECT_EQ(run.form->AppDir + u" " + run.form->ConfigFile + u" " + run.form->Caption.Caption,
              c.appDir + u" " + c.configFile + u" finder");
    EXPECT_EQ(system.Contents(c.appDir + u"finder.log"), "START finder\r\n");
  }
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
    EXPECT_EQ(run.form->Outcome().Configuration, ConfigurationState::Read);
  }
}

// Closing while the configuration is read is tested on the report program, while the tree is
// walked or searched on the walk and the search; closed before the timer fires, the run does not
// start.
TEST(RunSequenceTest, AWindowClosedBeforeTheRunStartsNeverRunsIt) {
  TestProgram program;
  program.WriteConfig("NAME|Alle|\r\n");
  TestRun run(program);
  run.form->Form_Load();
  run.form->Form_Unload();
  run.form->StartTimer_Timer();
  EXPECT_EQ(run.form->Status.Caption, u"Start");
  EXPECT_TRUE(run.form->Outcome().Stopped);
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", "EXIT"}));
}

TEST(RunSequenceTest, NamesReachListAndLogAsTheConfigurationWroteThem) {
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    Rules rules;
    std::string config;  // raw bytes
    std::u16string person;
    std::string logLine;  // raw bytes: UTF-8 under Linux rules, the code page under Windows rules
  } cases[] = {
      {Rules::Posix, "NAME|\xC5\x81ukasz M\xC3\xBCller|\n", u"Łukasz Müller",
       "CONFIG: NAME|\xC5\x81ukasz M\xC3\xBCller|"},
      {Rules::Posix, bom + "NAME|\xC5\x81ukasz|", u"Łukasz", "CONFIG: NAME|\xC5\x81ukasz|"},
      {Rules::Posix, "NAME|J\xFCrgen|\r\n", u"Jürgen", "CONFIG: NAME|J\xC3\xBCrgen|"},
      {Rules::Windows, "NAME|J\xFCrgen|\r\n", u"Jürgen", "CONFIG: NAME|J\xFCrgen|"},
      {Rules::Windows, "NAME|J\xC3\xBCrgen|", u"JÃ¼rgen", "CONFIG: NAME|J\xC3\xBCrgen|"},
      {Rules::Windows, bom + "NAME|\xC5\x81ukasz|", u"Łukasz", "CONFIG: NAME|?ukasz|"},
  };
  for (const auto& c : cases) {
    TestProgram program("fundort", c.rules);
    program.system().AddFile(program.ConfigPath(), c.config);
    TestRun run(program);
    run.LoadAndRun();
    EXPECT_EQ(run.form->PersonList.Items, Texts{c.person}) << c.config;
    EXPECT_EQ(program.system().Contents(program.LogPath()),
              "START fundort\r\n" + c.logLine + "\r\n")
        << c.config;
  }
}

}  // namespace
