// The real program, copied into a temporary folder so that its configuration and log are there.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

class ProgramTest : public testing::Test {
 protected:
  TestProgram program{"fundort"};
  QProcess process;

  void SetUp() override { std::filesystem::copy_file(FUNDORT_PROGRAM, program.ProgramPath()); }

  /// Starts the program and waits until its log has a line that satisfies logged.
  void StartAndWaitFor(const std::function<bool(const std::string&)>& logged) {
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QString::fromStdString(program.ProgramPath().string()), {});
    ASSERT_TRUE(process.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          const Lines lines = program.LogLines();
          return std::any_of(lines.begin(), lines.end(), logged);
        },
        60000));
  }

  /// Sends the signal and expects the program to end normally with exit code 0.
  void SignalAndExpectAnOrderlyEnd(int signal) {
    ::kill(static_cast<pid_t>(process.processId()), signal);
    ASSERT_TRUE(process.waitForFinished(20000)) << "the program did not end";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
  }
};

class SignalTest : public ProgramTest, public testing::WithParamInterface<int> {};

TEST_P(SignalTest, ClosesTheWindowLikeTheUser) {
  // No configuration: the program waits in its "not found" box when the signal comes.
  StartAndWaitFor([](const std::string& line) { return line == "START fundort"; });
  QTest::qWait(300);
  SignalAndExpectAnOrderlyEnd(GetParam());
  EXPECT_EQ(program.LogLines(), (Lines{"START fundort", "EXIT"}));
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalTest, testing::Values(SIGTERM, SIGINT),
                         [](const testing::TestParamInfo<int>& signal) {
                           return signal.param == SIGTERM ? std::string("Terminate")
                                                          : std::string("Interrupt");
                         });

TEST_F(ProgramTest, TerminationDuringTheSearchStopsItAndEndsTheProgram) {
  // Few files, but each takes long to search: 4 MiB (sparse, so they cost no disk) scanned
  // byte by byte for terms of one character that never occur.
  constexpr int kFiles = 100;
  for (int file = 0; file < kFiles; ++file) {
    std::filesystem::resize_file(program.dir().Write("data/" + std::to_string(file), ""), 4 << 20);
  }
  program.WriteConfig("FILETYPE|*|\r\nNAME|Alle|\r\nNAME|Keiner|q|w|j|k|v|x|y|z|#|%|\r\nFOLDER|" +
                      (program.dir().path() / "data").string() + "|\r\n");
  const auto isHit = [](const std::string& line) { return line.starts_with("found new file: "); };

  // The person without terms is found in each file as soon as it is searched.
  StartAndWaitFor(isHit);
  SignalAndExpectAnOrderlyEnd(SIGTERM);

  const Lines log = program.LogLines();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "EXIT");
  EXPECT_EQ(std::count(log.begin(), log.end(), "EXIT"), 1);
  EXPECT_EQ(std::count_if(log.begin(), log.end(), isHit) + 6, std::ssize(log))
      << "the start, four CONFIG lines, hits and EXIT only";
  EXPECT_LT(std::count_if(log.begin(), log.end(), isHit), kFiles);
}

}  // namespace
