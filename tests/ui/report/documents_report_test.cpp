// fundort-report over a tree with documents, as a user runs it.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

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
      {"json", "\"notExtracted\": [{\"file\": \"" + root +
                   "/i.zip\", \"reason\": \"verschlüsselt\", \"unread\": true}]"},
  };
  for (const auto& [format, expected] : formats) {
    const ProcessResult result = RunProcess(
        {FUNDORT_REPORT_BINARY, "--no-log", "--format", format, program.ConfigPath().string()});
    EXPECT_EQ(result.ExitStatus, 4);  // the encrypted member was not read: incomplete
    EXPECT_EQ(result.Err, root + "/i.zip: Text nicht gelesen: verschlüsselt\n");
    EXPECT_NE(result.Out.find(expected), std::string::npos) << result.Out;
  }
}

TEST(DocumentsReportTest, ArchivesAreSearchedAndOnlyUnreadContentLeavesTheRunIncomplete) {
  const std::vector<std::pair<std::string, std::string>> letter{{"b", "Erika M\xC3\xBCller"}};
  const std::string tarGz =  // a member that does not pack after the letter, for the cut below
      samples::Packed("gzip", "head -c 300000 /dev/urandom >n && tar czf out b n", letter)
          .value_or("");
  const std::string gz = samples::Packed("gzip", "gzip -c b >out", letter).value_or("");
  const std::string encrypted =
      samples::Packed("7z", "7z a -bd -bso0 -pgeheim o.7z b && mv o.7z out", letter).value_or("");
  if (tarGz.empty() || gz.empty() || encrypted.empty()) GTEST_SKIP() << "no 7z";
  const struct {
    std::vector<std::pair<std::string, std::string>> files;
    std::string out;  // hits, files listed as not extracted, coverage
    int exitStatus;
  } cases[] = {
      // The run a new user tried: the letter in a tar.gz and a gzip file.
      {{{"akten.tar.gz", tarGz}, {"brief.txt.gz", gz}},
       "Erika Müller (2)\n  @/akten.tar.gz\n  @/brief.txt.gz\nAbdeckung: vollständig\n",
       0},
      {{{"akten.7z", encrypted}},
       "Erika Müller (0)\nDokumente, nur als Bytes durchsucht:\n  @/akten.7z (verschlüsselt)\n"
       "Abdeckung: unvollständig\n  Inhalt nicht gelesen: 1 Dokumente oder Archive",
       4},
      // The part before the cut was searched; nothing else could be read.
      {{{"akten.tar.gz", tarGz.substr(0, tarGz.size() / 2)}},
       "Erika Müller (1)\n  @/akten.tar.gz\nDokumente, nur als Bytes durchsucht:\n  "
       "@/akten.tar.gz (beschädigt)\nAbdeckung: vollständig\n",
       0},
  };
  for (const auto& c : cases) {
    InstalledProgram program("akten");
    for (const auto& [name, bytes] : c.files)
      program.dir().Write("Daten/" + name, bytes);
    const std::string root = (program.dir().path() / "Daten").string();
    program.WriteConfig("FILETYPE|*|\r\nFOLDER|" + root + "|\r\nNAME|Erika Müller|Müller|\r\n");
    const ProcessResult result =
        RunProcess({FUNDORT_REPORT_BINARY, "--no-log", program.ConfigPath().string()});
    EXPECT_EQ(result.ExitStatus, c.exitStatus) << result.Out;
    EXPECT_NE(result.Out.find(Replace(c.out, "@", root)), std::string::npos) << result.Out;
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
