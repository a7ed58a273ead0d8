// The built fundort-report.exe run as a user runs it on Windows, on a real tree whose names are
// in Windows-1252 and beyond: configuration and log in the ANSI code page (a configuration with
// the UTF-8 byte order mark read as UTF-8), the report on stdout in UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "testing/process.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;

/// A file's whole content.
std::string Contents(const fs::path& file) {
  return (std::stringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
}

TEST(ReportWin32Test, AWindows1252TreeWithItsConfigurationAndLogInTheCodePage) {
  TempDir dir;
  const fs::path tree = dir.path() / u"Daten";
  dir.Write(u"Daten/Ärger/Brief an Müller.txt", Cp1252("Brief an Frau MÜLLER"));
  dir.Write(u"Daten/Šef €.txt", Cp1252("Ilse Weiß"));
  dir.Write(u"Daten/Łódź.txt", Cp1252("Müller") + "und Weiß in UTF-8");
  const std::string root = Utf8(tree.u16string());
  const fs::path config = dir.path() / u"daten.cfg";
  const std::string lines =
      "FILETYPE|*.txt|\r\nFOLDER|$R|\r\nNAME|Müller, Erika|müller|\r\nNAME|Ilse Weiß|Weiß|\r\n";
  const std::string found =
      "Müller, Erika (2)\n  $R\\Ärger\\Brief an Müller.txt\n  $R\\Łódź.txt\n"
      "Ilse Weiß (1)\n  $R\\Šef €.txt\n";
  struct Case {
    std::string name;
    std::string config;  // bytes; $R is the tree
    int status;
    std::string persons, err, log;
  };
  const std::string logged =
      "START daten\nCONFIG: FILETYPE|*.txt|\nCONFIG: FOLDER|$R|\n"
      "CONFIG: NAME|Müller, Erika|müller|\nCONFIG: NAME|Ilse Weiß|Weiß|\n";
  const Case cases[] = {
      {"code page", Cp1252(lines), 0, found, "",
       logged + "found new file: $R\\Ärger\\Brief an Müller.txt\nfound new file: $R\\?ód?.txt\n"
                "found new file: $R\\Šef €.txt\nEXIT\n"},
      // Documents cannot be read in this build: said so, and the run goes on.
      {"documents", Cp1252(lines + "DOCUMENTS|ON|\r\n"), 1, found,
       "$C:5: Dokumente lesen ist in dieser Version nicht möglich.\n", ""},
      // With the byte order mark the configuration is UTF-8; the log stays in the code page.
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + lines + "NAME|Łukasz|UTF-8|\r\nENCODING|UTF-8|\r\n", 0,
       "Müller, Erika (0)\nIlse Weiß (1)\n  $R\\Łódź.txt\nŁukasz (1)\n  $R\\Łódź.txt\n", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir.path() / u"daten.log");
    dir.Write(config, Replace(c.config, "$R", c.config.starts_with("\xEF") ? root : Cp1252(root)));
    const ProcessResult result = RunProcess({FUNDORT_REPORT_BINARY, Utf8(config.u16string())});
    EXPECT_EQ(result.ExitStatus, c.status);
    const std::string out = Replace(result.Out, root, "$R");
    const std::size_t persons = out.find('\n') + 1;
    EXPECT_EQ(out.substr(persons, out.find("Abdeckung") - persons), c.persons) << result.Out;
    EXPECT_EQ(Replace(result.Err, Utf8(config.u16string()), "$C"), c.err);
    if (c.log.empty()) continue;
    std::string log;
    for (const std::string& line :
         LogLinesOf(Contents(dir.path() / u"daten.log"), platform::TextConvention::CodePage))
      log += Replace(line, root, "$R") + "\n";
    EXPECT_EQ(log, c.log);
  }
}

TEST(ReportWin32Test, AnArchiveIsSearchedByItsBytesListedAndLeavesTheRunIncomplete) {
  TempDir dir;
  dir.Write(u"Daten/akten.tar.gz", "\x1F\x8B\x08 Ilse Weiss");
  const std::string root = Utf8((dir.path() / u"Daten").u16string());
  dir.Write(dir.path() / u"a.cfg", "FILETYPE|*|\r\nFOLDER|" + root + "|\r\nNAME|Ilse|Weiss|\r\n");
  const ProcessResult result =
      RunProcess({FUNDORT_REPORT_BINARY, "--no-log", Utf8((dir.path() / u"a.cfg").u16string())});
  EXPECT_EQ(result.ExitStatus, 4);
  const std::string out = Replace(result.Out, root, "$R");
  EXPECT_NE(out.find("Ilse (1)\n  $R\\akten.tar.gz\n"), std::string::npos) << out;
  EXPECT_NE(out.find("$R\\akten.tar.gz (Archiv)\nAbdeckung: unvollständig\n"), std::string::npos);
  EXPECT_NE(out.find("Archive lesen ist in dieser Version nicht möglich (1 Archive"), out.npos);
}

}  // namespace
