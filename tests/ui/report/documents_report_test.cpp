// fundort-report over a tree with documents, as a user runs it.
#include <gtest/gtest.h>

#include "extract/samples.h"
#include "testing/process.h"
#include "testing/test_program.h"

namespace {

TEST(DocumentsReportTest, ADocumentsTextIsFoundAndTheUnreadableDocumentIsListed) {
  // Each kind's text is checked with the extraction; here one document reaches the report.
  InstalledProgram program("daten");
  program.dir().Write("Daten/a.docx", samples::Docx({{"Frau M\xC3\xBC", "ller"}}));
  program.dir().Write("Daten/i.zip", samples::Zip({{"brief.txt", "Frau M\xC3\xBCller"}},
                                                  "zip:encryption=zipcrypt"));
  const std::string root = (program.dir().path() / "Daten").string();
  program.WriteConfig("FILETYPE|*|\r\nFOLDER|" + root + "|\r\nNAME|Erika Müller|Müller|\r\n");
  const std::pair<std::string, std::string> formats[] = {
      {"text", "Erika Müller (1)\n  " + root + "/a.docx\nDokumente, nur als Bytes durchsucht:\n  " +
                   root + "/i.zip (verschlüsselt)\n"},
      {"json",
       "\"notExtracted\": [{\"file\": \"" + root + "/i.zip\", \"reason\": \"verschlüsselt\"}]"},
  };
  for (const auto& [format, expected] : formats) {
    const ProcessResult result = RunProcess(
        {FUNDORT_REPORT_BINARY, "--no-log", "--format", format, program.ConfigPath().string()});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_NE(result.Out.find(expected), std::string::npos) << result.Out;
  }
}

}  // namespace
