// fundort-report over a tree of documents of every kind, as a user runs it.
#include <gtest/gtest.h>

#include "extract/samples.h"
#include "testing/process.h"
#include "testing/test_program.h"

namespace {

using samples::Docx;
using samples::Zip;

TEST(DocumentsReportTest, EveryFormatIsFoundAndTheUnreadableDocumentIsListed) {
  InstalledProgram program("daten");
  const auto write = [&program](const std::string& name, const std::string& bytes) {
    program.dir().Write("Daten/" + name, bytes);
  };
  // Each kind's text is checked on its own with the extraction; here a few reach the report.
  write("a.docx", Docx({{"Frau M\xC3\xBC", "ller"}}));
  write("d.pdf", samples::Pdf({samples::Cp1252("Frau M\xC3\xBCller")}));
  write("g.eml", samples::MailWithAttachment(Docx({{"Frau M\xC3\xBCller"}})));
  write("i.zip", Zip({{"brief.txt", "Frau M\xC3\xBCller"}}, "zip:encryption=zipcrypt"));
  write("j.txt", "Frau Meier");
  program.WriteConfig("FILETYPE|*|\r\nFOLDER|" + (program.dir().path() / "Daten").string() +
                      "|\r\nNAME|Erika Müller|Müller|\r\n");
  const std::string root = (program.dir().path() / "Daten").string();

  const ProcessResult text =
      RunProcess({FUNDORT_REPORT_BINARY, "--no-log", program.ConfigPath().string()});
  EXPECT_EQ(text.ExitStatus, 0);
  EXPECT_EQ(text.Err, "");
  std::string hits = "Erika Müller (3)\n";
  for (const char* name : {"a.docx", "d.pdf", "g.eml"})
    hits += "  " + root + "/" + name + "\n";
  EXPECT_NE(text.Out.find(hits + "Dokumente, nur als Bytes durchsucht:\n  " + root +
                          "/i.zip (encrypted)\n"),
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
