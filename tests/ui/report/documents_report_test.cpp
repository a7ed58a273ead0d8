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

  const ProcessResult text =
      RunProcess({FUNDORT_REPORT_BINARY, "--no-log", program.ConfigPath().string()});
  EXPECT_EQ(text.ExitStatus, 0);
  EXPECT_EQ(text.Err, "");
  EXPECT_NE(text.Out.find("Erika Müller (1)\n  " + root +
                          "/a.docx\nDokumente, nur als Bytes "
                          "durchsucht:\n  " +
                          root + "/i.zip (encrypted)\n"),
            std::string::npos)
      << text.Out;

  const ProcessResult json = RunProcess(
      {FUNDORT_REPORT_BINARY, "--no-log", "--format", "json", program.ConfigPath().string()});
  EXPECT_EQ(json.ExitStatus, 0);
  EXPECT_NE(json.Out.find("\"notExtracted\": [{\"file\": \"" + root +
                          "/i.zip\", \"reason\": \"encrypted\"}]"),
            std::string::npos)
      << json.Out;
}

}  // namespace
