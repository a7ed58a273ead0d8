#include <gtest/gtest.h>

#include <functional>

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

TEST(ActivityLogTest, ALogThatCannotBeWrittenChangesNothingElseAndKeepsOutOfTheConfiguration) {
  const std::string config = "FILETYPE|*.txt|\r\nFOLDER|/prog/data|\r\nNAME|Alle|\r\n";
  const struct {
    std::string name;
    std::function<void(TestProgram&)> prepare;
    bool intoConfiguration;
  } cases[] = {
      {"folder in the way", [](TestProgram& p) { p.system().AddFolder(p.LogPath()); }, false},
      {"append fails",
       [](TestProgram& p) { p.system().Fail(FakeSystem::Operation::Append, p.LogPath()); }, false},
      {"log is a link to the configuration",
       [](TestProgram& p) { p.system().LinkFile(p.LogPath(), p.ConfigPath()); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestProgram program;
    program.Write("data/a.txt", "");
    program.WriteConfig(config);
    c.prepare(program);
    TestRun run(program);
    run.LoadAndRun();
    run.form->Form_Unload();
    EXPECT_EQ(program.LogLines(), Lines{});
    EXPECT_EQ(program.system().Contents(program.ConfigPath()), config);
    EXPECT_EQ(run.form->Persons[1].Hits, u"|1|");
    EXPECT_EQ(run.window.StatusTexts.back(), u"fertig");
    EXPECT_TRUE(run.window.Boxes.empty() && run.window.Closed);
    const RunOutcome& outcome = run.form->Outcome();
    EXPECT_EQ(outcome.LogLinesLost, 6);  // START, three CONFIG, one hit, EXIT
    EXPECT_EQ(outcome.LogIsConfiguration, c.intoConfiguration);
    EXPECT_EQ(outcome.LogFailure.empty(), false);
  }
}

}  // namespace
