#include "run/activity_log.h"

#include <gtest/gtest.h>

#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

// A log is appended to, never started afresh; a line break or NUL inside a line (through a
// crafted file name or configuration line) becomes "?", so it cannot forge or split a line.
TEST(ActivityLogTest, LinesAreAppendedAndLineBreaksCannotSplitALine) {
  FakeSystem system;
  for (int log = 0; log < 2; ++log) {
    ActivityLog activity(
        system, [] { return std::u16string(u"/p/f.log"); },
        [] { return std::u16string(u"/p/f.cfg"); });
    activity.Write(u"found new file: /tmp/evil\r\nKILL: /etc/passwd\n");
    activity.Write(std::u16string(u"CONFIG: FOLDER|/a\0b|", 20));
    activity.Write(U16("Müller €Ж"));  // a UTF-8 log writes every character
  }
  const std::string forged = "found new file: /tmp/evil??KILL: /etc/passwd?";
  const std::string nul = "CONFIG: FOLDER|/a?b|";
  EXPECT_EQ(LogLinesOf(system.Contents(u"/p/f.log")),
            (Lines{forged, nul, "Müller €Ж", forged, nul, "Müller €Ж"}));
}

// A log that cannot be written changes nothing else in the run, and is never written into the
// configuration, whose lines it would turn into commands of the next run.
TEST(ActivityLogTest, ALogThatCannotBeWrittenChangesNothingElseAndKeepsOutOfTheConfiguration) {
  const std::string config = "FILETYPE|*.txt|\r\nFOLDER|/prog/data|\r\nNAME|Alle|\r\n";
  TestProgram program;
  program.Write("data/a.txt", "");
  program.WriteConfig(config);
  program.system().LinkFile(program.LogPath(), program.ConfigPath());
  TestRun run(program);
  run.LoadAndRun();
  run.session->End();
  EXPECT_EQ(program.system().Contents(program.ConfigPath()), config);
  EXPECT_EQ(run.session->Hits().FilesOf(PersonId{0}), std::vector{FileId{0}});
  const RunOutcome outcome = run.session->Outcome();
  EXPECT_EQ(outcome.LogLinesLost, 6);  // START, three CONFIG, one hit, EXIT
  EXPECT_TRUE(outcome.LogIsConfiguration);
  EXPECT_FALSE(outcome.LogFailure.empty());
}

// A log named with an empty path (fundort-report --log=) is a log that cannot be written, not
// a run without a log: its lines count as lost, so the run does not pass for complete.
TEST(ActivityLogTest, AnEmptyLogPathLosesItsLinesVisibly) {
  InstalledProgram program;
  program.WriteConfig("");
  RunOptions options = program.Options();
  options.Log = LogDestination::File;
  TestRun run(options);
  run.LoadAndRun();
  EXPECT_EQ(run.session->Outcome().LogLinesLost, 1);
}

}  // namespace
