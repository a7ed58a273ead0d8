// fundort-report over a tree with documents, as a user runs it.
#include <gtest/gtest.h>

#include <cstdint>
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
                   root + "/i.zip (encrypted)\n"},
      {"json", "\"notExtracted\": [{\"file\": \"" + root + "/i.zip\", \"reason\": \"encrypted\"}]"},
  };
  for (const auto& [format, expected] : formats) {
    const ProcessResult result = RunProcess(
        {FUNDORT_REPORT_BINARY, "--no-log", "--format", format, program.ConfigPath().string()});
    // The encrypted member was not read at all: the answer is not complete.
    EXPECT_EQ(result.ExitStatus, 4);
    EXPECT_EQ(result.Err, "");
    EXPECT_NE(result.Out.find(expected), std::string::npos) << result.Out;
  }
}

TEST(DocumentsReportTest, ArchivesAreSearchedAndOnlyUnreadContentLeavesTheRunIncomplete) {
  const std::string letter = "Sehr geehrte Frau Erika M\xC3\xBCller,\n";
  std::string noise;  // does not pack, so that a cut tar.gz still gives its first member
  for (std::uint32_t seed = 7; noise.size() < (std::size_t{256} << 10);) {
    seed = seed * 1103515245u + 12345u;
    noise += static_cast<char>(seed >> 24);
  }
  const std::vector<std::pair<std::string, std::string>> files = {{"brief.txt", letter},
                                                                  {"noise.bin", noise}};
  const std::optional<std::string> tar = samples::Packed("tar", "tar cf out brief.txt", files);
  const std::optional<std::string> tarGz =
      samples::Packed("gzip", "tar czf out brief.txt noise.bin", files);
  const std::optional<std::string> gz = samples::Packed("gzip", "gzip -c brief.txt > out", files);
  const std::optional<std::string> encrypted =
      samples::Packed("7z", "7z a -bd -bso0 -pgeheim out.7z brief.txt && mv out.7z out", files);
  if (!tar || !tarGz || !gz || !encrypted) GTEST_SKIP() << "tar, gzip or 7z not installed";
  const struct {
    const char* tree;
    std::vector<std::pair<std::string, std::string>> files;
    std::string found;   // the hits' lines
    std::string listed;  // the files listed as not extracted, and the coverage
    int exitStatus;
  } cases[] = {
      // The run a new user tried: each holds the letter, two of them compressed.
      {"packed letters",
       {{"akten.tar", *tar}, {"akten.tar.gz", *tarGz}, {"brief.txt.gz", *gz}},
       "Erika Müller (3)\n  @/akten.tar\n  @/akten.tar.gz\n  @/brief.txt.gz\n",
       "Abdeckung: vollständig\n",
       0},
      {"encrypted",
       {{"akten.7z", *encrypted}},
       "Erika Müller (0)\n",
       "Dokumente, nur als Bytes durchsucht:\n  @/akten.7z (verschlüsselt)\n"
       "Abdeckung: unvollständig\n  Inhalt nicht gelesen: 1 Dokumente oder Archive (oben mit "
       "Grund)\n",
       4},
      // The part before the cut was searched; nothing else could be read.
      {"truncated",
       {{"akten.tar.gz", tarGz->substr(0, tarGz->size() / 2)}},
       "Erika Müller (1)\n  @/akten.tar.gz\n",
       "Dokumente, nur als Bytes durchsucht:\n  @/akten.tar.gz (beschädigt)\n"
       "Abdeckung: vollständig\n",
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
    const auto rooted = [&root](std::string text) {
      for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at))
        text.replace(at, 1, root);
      return text;
    };
    EXPECT_EQ(result.ExitStatus, c.exitStatus) << c.tree;
    EXPECT_NE(result.Out.find(rooted(c.found + c.listed)), std::string::npos) << c.tree << "\n"
                                                                              << result.Out;
  }
}

}  // namespace
