// fundort-report prints the same report and writes the same log whatever the number of threads.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "testing/process.h"
#include "testing/test_program.h"

namespace {

TEST(ThreadsReportTest, EveryNumberOfThreadsGivesTheSameOutputAndLog) {
  InstalledProgram program("daten");
  // Many files in several folders, some naming the persons, one document whose text names one
  // and one damaged document, so that hits, documents and their order all reach the output.
  for (int folder = 0; folder < 4; ++folder) {
    for (int file = 0; file < 30; ++file) {
      std::string content(static_cast<std::size_t>(file * 53 % 700), 'x');
      if (file % 4 == 0) content += "Herr Nord";
      if (file % 6 == 0) content += "Frau M\xC3\xBCller";
      program.dir().Write("Daten/d" + std::to_string(folder) + "/f" + std::to_string(file) + ".txt",
                          content);
    }
  }
  program.dir().Write("Daten/d1/seite.txt", "<html><body>Frau M&uuml;ller</body></html>");
  program.dir().Write("Daten/d2/kaputt.txt", "%PDF-1.4 damaged Nord");
  const std::string root = (program.dir().path() / "Daten").string();
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + root +
                      "|\r\nNAME|Erika Müller|Müller|\r\nNAME|Nord|nord|\r\nNAME|Alle|\r\n");
  for (const std::string format : {"text", "json", "csv"}) {
    SCOPED_TRACE(format);
    std::filesystem::remove(program.LogPath());
    const ProcessResult one = RunProcess({FUNDORT_REPORT_BINARY, "--format", format, "--threads",
                                          "1", program.ConfigPath().string()});
    const std::vector<std::string> oneLog = program.LogLines();
    EXPECT_NE(one.Out.find("f4.txt"), std::string::npos);
    for (const std::string threads : {"2", "5"}) {
      SCOPED_TRACE(threads);
      std::filesystem::remove(program.LogPath());
      const ProcessResult many = RunProcess({FUNDORT_REPORT_BINARY, "--format", format, "--threads",
                                             threads, program.ConfigPath().string()});
      EXPECT_EQ(std::tie(many.ExitStatus, many.Out, many.Err),
                std::tie(one.ExitStatus, one.Out, one.Err));
      EXPECT_EQ(program.LogLines(), oneLog);
    }
  }
}

}  // namespace

#endif  // _WIN32
