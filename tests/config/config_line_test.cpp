#include "config/config_line.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "search/document_search.h"
#include "support/number_text.h"
#include "testing/test_program.h"

namespace {

using namespace std::string_literals;
using platform::TextEncoding;

/// "+" when the line is logged, then what it asks for, or "!" and its message.
std::string Describe(const ConfigLine& parsed) {
  const ConfigLine::Command& action = parsed.Action;
  std::u16string text = parsed.Logged ? u"+" : u"";
  if (const auto* folder = std::get_if<FolderCommand>(&action)) text += u"FOLDER " + folder->Path;
  if (const auto* name = std::get_if<NameCommand>(&action)) text += name->Name + u" " + name->Terms;
  if (const auto* mode = std::get_if<SearchModeCommand>(&action))
    text += mode->Mode == SearchMode::Text ? u"TEXT" : u"BINARY";
  if (const auto* documents = std::get_if<DocumentsCommand>(&action))
    text += documents->Reading == DocumentReading::On ? u"ON" : u"OFF";
  if (const auto* type = std::get_if<FileTypeCommand>(&action))
    text += type->Pattern + u" " + NumberText(type->MaxSize);
  if (const auto* ocr = std::get_if<RecognitionCommand>(&action)) {
    text += ocr->On ? u"ON" : u"OFF";
    for (const std::string& language : ocr->Languages)
      text += u" " + U16(language);
  }
  const auto* chosen = std::get_if<EncodingCommand>(&action);
  if (chosen && chosen->Encodings.Has(TextEncoding::Ansi)) text += u"ANSI ";
  if (chosen && chosen->Encodings.Has(TextEncoding::Utf8)) text += u"UTF-8 ";
  if (chosen && chosen->Encodings.Has(TextEncoding::Utf16)) text += u"UTF-16 ";
  return Utf8(text + (parsed.Error ? u"!" + *parsed.Error : u""));
}

TEST(ConfigLineTest, EachLineIsReadIntoOneCommandOrOneMessage) {
  const std::string unknown = "!Unbekannter Befehl: \"", encoding = "+!Unbekannte Kodierung \"";
  const auto count = [](const char* command) {
    return "+!Anzahl Parameter bei Befehl \"" + std::string(command) + "\" ist ungültig.";
  };
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      // No command: nothing happens, nothing is logged. Only blanks are trimmed, not tabs.
      {"", ""}, {"    ", ""}, {"|FOLDER|/x|", ""}, {"Foo|1|", unknown + "FOO\""},
      {"\tFOLDER|/x|", unknown + "\tFOLDER\""}, {"größe", unknown + "GRÖßE\""},
      {"FOL\0DER|/x|"s, unknown + "FOL\0DER\""s},
      // A piece after the last bar is no field.
      {" folder |/a|", "+FOLDER /a"}, {"FOLDER|/a|rest", "+FOLDER /a"},
      {"FOLDER|/a\0b|"s, "+FOLDER /a\0b"s}, {"NAME|Nord|Stadt|Straße|", "+Nord |Stadt|Straße|"},
      {"NAME|Nord|Stadt", "+Nord |Stadt"}, {"name| Nord ||", "+ Nord  ||"},
      {"SEARCHMODE| text |", "+TEXT"}, {"searchmode|Binary|", "+BINARY"},
      {"SEARCHMODE| fast|", "+!Unbekannter Suchmodus \" fast\"."}, {"FILETYPE|*.txt|", "+*.txt -1"},
      {"FILETYPE|*.txt||", "+*.txt 0"}, {"FILETYPE|*.txt|10KB|", "+*.txt 10"},
      {"ENCODING|UTF-16|", "+UTF-16 "}, {"ENCODING|ANSI|rest", "+ANSI "},
      {" encoding | utf-8 |Ansi|UTF-8|", "+ANSI UTF-8 "},
      // One unknown value, named as written, makes the whole line void.
      {"ENCODING|UTF-8| latin1 |", encoding + " latin1 \"."}, {"ENCODING||", encoding + "\"."},
      {"DOCUMENTS| off |", "+OFF"}, {"documents|on|", "+ON"},
      {"DOCUMENTS| Ein |", "+!Unbekannter Wert \" Ein \"."},
      {"ocr| on |", "+ON"}, {"OCR|ON|deu| pol|", "+ON deu  pol"}, {"OCR|Off|", "+OFF"},
      {"OCR|Ein|deu|", "+!Unbekannter Wert \"Ein\"."}, {"OCR|OFF|deu|", count("OCR")},
      {"OCR", count("OCR")},
      // Too few or too many fields, or no bar at all.
      {"FOLDER|/a", count("FOLDER")}, {"FOLDER", count("FOLDER")}, {"NAME|Nord", count("NAME")},
      {"FOLDER|/a|/b|", count("FOLDER")}, {"FILETYPE", count("FILETYPE")},
      {"FILETYPE|a|b|c|", count("FILETYPE")}, {"SEARCHMODE|TEXT|BINARY|", count("SEARCHMODE")},
      {"ENCODING|x", count("ENCODING")}, {"DOCUMENTS|a||", count("DOCUMENTS")}};  // clang-format on
  for (const auto& [line, expected] : cases)
    EXPECT_EQ(Describe(ParseConfigLine(U16(line), platform::Windows1252CodePage())), expected)
        << line;
}

// What only a run does: logging, errors by line, a name taken once, a setting kept from a faulty
// line, rules for the FOLDER lines below them, documents read only with the extraction library.
TEST(ConfigLineTest, ARunLogsEachLineAndReportsErrorsWithTheirLineNumber) {
  TestProgram program;
  program.Write("D/d.txt", "Nord");
  program.Write("E/e.txt", "nord");
  program.WriteConfig(
      "SEARCHMODE|TEXT|\nFOLDER|/prog/D|\nFILETYPE|*.txt|\nFoo|1|\nNAME|Nord|Nord|\n"
      "NAME|nord|nord|\nNAME|Nord|x|\nSEARCHMODE| fast|\nFOLDER|/prog/E|\nDOCUMENTS|ON|\n");
  TestRun run(program);
  run.LoadAndRun();
  EXPECT_EQ(program.LogLines(),
            (std::vector<std::string>{
                "START fundort", "CONFIG: SEARCHMODE|TEXT|", "CONFIG: FOLDER|/prog/D|",
                "CONFIG: FILETYPE|*.txt|", "CONFIG: NAME|Nord|Nord|", "CONFIG: NAME|nord|nord|",
                "CONFIG: NAME|Nord|x|", "CONFIG: SEARCHMODE| fast|", "CONFIG: FOLDER|/prog/E|",
                "CONFIG: DOCUMENTS|ON|", "found new file: /prog/E/e.txt"}));
  std::vector<RecordedError> errors{{u"Unbekannter Befehl: \"FOO\"", 4},
                                    {u"Unbekannter Suchmodus \" fast\".", 8}};
  if (!DocumentsReadable())
    errors.push_back({u"Dokumente lesen ist in dieser Version nicht möglich.", 10});
  EXPECT_EQ(run.observer.Errors, errors);
  const PersonTable& persons = run.session->Persons();
  EXPECT_TRUE(persons.Count() == 2 && persons.Find(u"nord") &&
              persons[PersonId{}].Terms == u"|Nord|");
}

TEST(ConfigLineTest, UnderWindowsRulesOnlyTheCodePageIsSearchedAndNoDocumentIsRead) {
  TestProgram program("fundort", FakeSystem::Rules::Windows);
  TestRun run(program);
  run.session->Load();
  EXPECT_TRUE(run.session->Settings().Encodings == platform::TextEncodings{TextEncoding::Ansi});
  EXPECT_EQ(run.session->Settings().Documents, DocumentReading::Off);
  EXPECT_NE(run.session->Settings().Recognition.State, RecognitionState::On);
}

}  // namespace
