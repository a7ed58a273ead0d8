// The real program, copied into a temporary folder so that its configuration and log are there.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <algorithm>
#include <filesystem>

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

}  // namespace
