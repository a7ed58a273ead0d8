// fundort-report over a tree with documents, as a user runs it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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
                   root + "/i.zip (encrypted)\n"},
      {"json", "\"notExtracted\": [{\"file\": \"" + root +
                   "/i.zip\", \"reason\": \"encrypted\", \"unread\": false}]"},
  };
  for (const auto& [format, expected] : formats) {
    const ProcessResult result = RunProcess(
        {FUNDORT_REPORT_BINARY, "--no-log", "--format", format, program.ConfigPath().string()});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Err, "");
    EXPECT_NE(result.Out.find(expected), std::string::npos) << result.Out;
  }
}

// Faults: a scan's name missed, a blind run passing for complete (exit 0), a scan not listed,
// the pages recognised missing from the JSON.
TEST(DocumentsReportTest, ScansAreRecognisedOrTheRunIsIncomplete) {
  InstalledProgram program("daten");
  std::ifstream scan(std::string(FUNDORT_SOURCE_DIR) + "/tests/extract/scans/clean.png",
                     std::ios::binary);
  program.dir().Write("Daten/scan.png", std::string(std::istreambuf_iterator<char>(scan), {}));
  const std::string root = (program.dir().path() / "Daten").string();
  const std::string folder = "FILETYPE|*|\r\nFOLDER|" + root + "|\r\nNAME|Erika|Mustermann|\r\n";
  const struct {
    std::string ocr;
    int exit;
    std::string out, err;
  } cases[] = {
      {"OCR|ON|deu|\r\n", 0,
       "\"recognition\": {\"pages\": 1, \"fromCache\": 0, \"files\": [{\"file\": \"" + root +
           "/scan.png\", \"pages\": 1",
       ""},
      {"OCR|OFF|\r\n", 4, "\"reason\": \"Texterkennung aus\", \"unread\": true",
       root + "/scan.png: Text nicht gelesen: Texterkennung aus\n"},
  };
  for (const auto& c : cases) {
    program.WriteConfig(c.ocr + folder);
    const ProcessResult result =
        RunProcess({FUNDORT_REPORT_BINARY, "--no-log", "--no-cache", "--no-progress", "--format",
                    "json", program.ConfigPath().string()});
    EXPECT_EQ(result.ExitStatus, c.exit) << c.ocr;
    EXPECT_EQ(result.Err, c.err) << c.ocr;
    EXPECT_NE(result.Out.find(c.out), std::string::npos) << result.Out;
    EXPECT_EQ(result.Out.find("\"hits\": 1") != std::string::npos, c.exit == 0) << c.ocr;
  }
}

}  // namespace
