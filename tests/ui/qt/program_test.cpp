#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

/// The real program, copied into a temporary folder so that its log lands there.
class ProgramTest : public testing::TestWithParam<int> {
 protected:
  TestProgram program{"fundort"};

  void SetUp() override { std::filesystem::copy_file(FUNDORT_PROGRAM, program.ProgramPath()); }
};

TEST_P(ProgramTest, TerminationSignalClosesTheWindowLikeTheUser) {
  // No configuration: the program waits in its "not found" box when the signal comes.
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start(QString::fromStdString(program.ProgramPath().string()), {});
  ASSERT_TRUE(process.waitForStarted(10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !program.LogLines().empty(); }, 20000));
  QTest::qWait(300);

  ::kill(static_cast<pid_t>(process.processId()), GetParam());
  ASSERT_TRUE(process.waitForFinished(20000)) << "the program did not end";

  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", "EXIT"}));
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramTest, testing::Values(SIGTERM, SIGINT),
                         [](const testing::TestParamInfo<int>& signal) {
                           return signal.param == SIGTERM ? std::string("Terminate")
                                                          : std::string("Interrupt");
                         });

}  // namespace
