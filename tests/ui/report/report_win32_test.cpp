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

std::string Replace(std::string text, const std::string& mark, const std::string& value) {
  for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
    text.replace(at, mark.size(), value);
    at += value.size();
  }
  return text;
}

/// A file's whole content.
std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
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
    std::string extra;   // after the configuration's lines
    int status;
    std::string persons, err, log;
  };
  const std::string logged =
      "START daten\nCONFIG: FILETYPE|*.txt|\nCONFIG: FOLDER|$R|\nCONFIG: NAME|Müller, "
      "Erika|müller|\n"
      "CONFIG: NAME|Ilse Weiß|Weiß|\n";
  const Case cases[] = {
      {"code page", Cp1252(lines), "", 0, found, "",
       logged + "found new file: $R\\Ärger\\Brief an Müller.txt\nfound new file: $R\\?ód?.txt\n"
                "found new file: $R\\Šef €.txt\nEXIT\n"},
      // Documents cannot be read in this build: said so, and the run goes on.
      {"documents", Cp1252(lines + "DOCUMENTS|ON|\r\n"), "", 1, found,
       "$C:5: Dokumente lesen ist in dieser Version nicht möglich.\n", ""},
      // With the byte order mark the configuration is UTF-8; the log stays in the code page.
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + lines + "NAME|Łukasz|UTF-8|\r\nENCODING|UTF-8|\r\n", "",
       0, "Müller, Erika (0)\nIlse Weiß (1)\n  $R\\Łódź.txt\nŁukasz (1)\n  $R\\Łódź.txt\n", "", ""},
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

// The demo as the Windows package ships it: a UTF-8 configuration with the byte order mark that
// names every encoding the demo's files are written in.
TEST(ReportWin32Test, TheShippedDemoGivesItsDocumentedResult) {
  const std::string examples = FUNDORT_SOURCE_DIR "/examples";
  TempDir dir;
  const std::string demo = Replace(examples, "/", "\\") + "\\demo";
  dir.Write("fundort.cfg",
            Replace(Contents(examples + "/windows/fundort.cfg"), "|demo\\|", "|" + demo + "\\|"));
  const ProcessResult result = RunProcess(
      {FUNDORT_REPORT_BINARY, "--no-log", Utf8((dir.path() / "fundort.cfg").u16string())});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(Replace(result.Out, demo, "@"),
            "Anzahl Verzeichnisse: 4  Anzahl Dateien: 7  Gesamtgröße: 994 B\n"
            "Erika Müller (2)\n  @\\Briefe\\2024-03-01 Anschreiben Müller.txt\n"
            "  @\\Notizen\\Telefonnotiz 2024-05-02.txt\nJürgen Schröder (4)\n"
            "  @\\Briefe\\2024-04-12 Mahnung.txt\n  @\\Notizen\\Besprechung Hausmeister.md\n"
            "  @\\Rechnungen\\R-2024-117.csv\n  @\\Rechnungen\\Übersicht 2024.txt\n"
            "Ilse Weiß (1)\n  @\\Briefe\\Kündigung Wohnung 4b.txt\n"
            "Łukasz Nowak (1)\n  @\\Notizen\\Besprechung Hausmeister.md\nPaul Neumann (0)\n"
            "Abdeckung: vollständig\nAusgelassen: 1 versteckt, 0 Verknüpfungen auf "
            "Verzeichnisse, 0 besondere Dateien, 2 ohne Dateityp, 1 zu groß, 0 "
            "Pseudo-Dateisysteme\n");
}

}  // namespace
