// The real program, copied into a temporary folder so that its configuration and log are there.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "testing/process.h"
#include "testing/test_program.h"

namespace {

TEST(ProgramTest, TerminationDuringTheSearchStopsItAndEndsTheProgram) {
  // Each of 100 sparse 4 MiB files takes long to scan for terms of one character that never
  // occur; the person without terms is found in each as soon as it is searched.
  InstalledProgram program;
  std::filesystem::copy_file(FUNDORT_PROGRAM, program.ProgramPath());
  constexpr int kFiles = 100;
  for (int file = 0; file < kFiles; ++file)
    std::filesystem::resize_file(program.dir().Write("data/" + std::to_string(file), ""), 4 << 20);
  program.WriteConfig("FILETYPE|*|\r\nNAME|Alle|\r\nNAME|Keiner|q|w|j|k|v|x|y|z|#|%|\r\nFOLDER|" +
                      (program.dir().path() / "data").string() + "|\r\n");
  const auto isHit = [](const std::string& line) { return line.starts_with("found new file: "); };

  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start(QString::fromStdString(program.ProgramPath().string()), {});
  ASSERT_TRUE(process.waitForStarted(10000));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return std::ranges::any_of(program.LogLines(), isHit); }, 60000));
  process.terminate();  // SIGTERM
  ASSERT_TRUE(process.waitForFinished(20000)) << "the program did not end";
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);

  const std::vector<std::string> log = program.LogLines();
  ASSERT_EQ(std::ranges::count(log, "EXIT"), 1);
  EXPECT_EQ(log.back(), "EXIT");
  EXPECT_LT(std::ranges::count_if(log, isHit), kFiles);
}

// A request to end that is there from the program's first instruction on (held by the signal mask
// it inherits until the program listens) closes the window as a user's close does, before the
// run: START and EXIT in the log, and a normal end.
TEST(ProgramTest, TerminationAtTheVeryStartClosesTheWindow) {
  InstalledProgram program;
  std::filesystem::copy_file(FUNDORT_PROGRAM, program.ProgramPath());
  program.dir().Write("data/a.txt", "x");
  program.WriteConfig("FILETYPE|*|\r\nNAME|Alle|\r\nFOLDER|" +
                      (program.dir().path() / "data").string() + "|\r\n");
  for (int attempt = 0; attempt < 3; ++attempt) {
    SCOPED_TRACE(attempt);
    std::filesystem::remove(program.LogPath());
    sigset_t terminate, previous;
    sigemptyset(&terminate);
    sigaddset(&terminate, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &terminate, &previous);
    const ProcessResult result = RunProcess({program.ProgramPath().string()}, [&](int pid) {
      ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
      ::kill(pid, SIGTERM);
      // A request that is lost would leave the window open for good.
      const auto exited = [&] { return std::ranges::count(program.LogLines(), "EXIT") > 0; };
      if (!QTest::qWaitFor(exited, 20000)) ::kill(pid, SIGKILL);
    });
    EXPECT_EQ(result.ExitStatus, 0) << result.Err;
    EXPECT_EQ(program.LogLines(), (std::vector<std::string>{"START fundort", "EXIT"}));
  }
}

}  // namespace
