#include <gtest/gtest.h>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ActivityLogTest, LogIsAppendedAcrossRunsAndLineBreaksCannotSplitALine) {
  TestProgram program;
  for (int i = 0; i < 2; ++i) {
    TestRun run(program);
    run.form->Form_Load();
    run.form->WriteLog(u"found new file: /tmp/evil\r\nKILL: /etc/passwd\n");
    run.form->WriteLog(std::u16string(u"CONFIG: FOLDER|/a\0b|", 20));
    run.form->WriteLog(U16("Müller €\u0416"));  // a UTF-8 log writes every character
    run.form->Form_Unload();
  }
  const std::string forged = "found new file: /tmp/evil??KILL: /etc/passwd?";
  const std::string nul = "CONFIG: FOLDER|/a?b|";
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", forged, nul, "Müller €Ж", "EXIT",
                                       "START fundort", forged, nul, "Müller €Ж", "EXIT"}));
}

TEST(ActivityLogTest, ALogThatCannotBeWrittenChangesNothingElse) {
  for (const bool folderInTheWay : {false, true}) {
    TestProgram program;
    if (folderInTheWay) {
      program.system().AddFolder(program.LogPath());
    } else {
      program.system().Fail(FakeSystem::Operation::Append, program.LogPath());
    }
    program.Write("data/a.txt", "");
    program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + Utf8(program.Path("data")) +
                        "|\r\nNAME|Alle|\r\n");
    TestRun run(program);
    run.LoadAndRun();
    run.form->Form_Unload();
    EXPECT_FALSE(program.system().Exists(program.LogPath()));
    EXPECT_EQ(run.form->Persons[1].Hits, u"|1|");
    EXPECT_EQ(run.window.StatusTexts.back(), u"fertig");
    EXPECT_TRUE(run.window.Boxes.empty() && run.window.Closed);
  }
}

TEST(ActivityLogTest, AFrontEndMayNameTheLogOrWriteNone) {
  TestProgram program;
  for (const LogDestination destination : {LogDestination::File, LogDestination::None}) {
    TestRun run(MainFormOptions{
        .System = program.system(), .Log = destination, .LogFile = u"/var/log/fundort.log"});
    run.form->Form_Load();
  }
  EXPECT_FALSE(program.system().Exists(program.LogPath()));
  EXPECT_EQ(program.system().Contents(u"/var/log/fundort.log"), "START fundort\r\n");
}

}  // namespace
