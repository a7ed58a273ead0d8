#include <gtest/gtest.h>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

TEST(DocumentsCommandTest, ValueCountAndLastValidLine) {
  const std::string count = "Anzahl Parameter bei Befehl \"DOCUMENTS\" ist ungültig.";
  const std::string missing = "Dokumente lesen ist in dieser Version nicht möglich.";
  const bool readable = DocumentsReadable();
  const struct {
    std::string lines;
    Lines messages;  // "Fehler" boxes; an ON that sets On needs the extraction library
    bool on;         // the setting afterwards when documents can be read
  } cases[] = {
      {"DOCUMENTS|OFF|", {}, false},
      {"documents| off |", {}, false},
      {"DOCUMENTS|OFF|\nDOCUMENTS|on|", {}, true},
      {"DOCUMENTS|OFF|\nDOCUMENTS|ja|", {"Unbekannter Wert \"ja\"."}, false},
      {"DOCUMENTS| Ein |", {"Unbekannter Wert \" Ein \"."}, true},
      {"DOCUMENTS|O N|", {"Unbekannter Wert \"O N\"."}, true},
      {"DOCUMENTS||", {"Unbekannter Wert \"\"."}, true},
      {"DOCUMENTS|OFF", {count}, true},
      {"DOCUMENTS", {count}, true},
      {"DOCUMENTS|OFF|ON|", {count}, true},
  };
  for (const auto& c : cases) {
    TestProgram program;
    TestRun run(program);
    run.form->Form_Load();
    Lines log{"START fundort"};
    Lines messages;
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = c.lines.find('\n', start);
      const std::string line = c.lines.substr(start, end - start);
      run.form->ExecConfigLine(U16(line));
      log.push_back("CONFIG: " + line);
      if (!readable && line.find("on|") != std::string::npos) messages.push_back(missing);
    }
    for (const std::string& message : c.messages)
      messages.push_back(message);
    Lines boxes;
    for (const auto& box : run.window.Boxes)
      boxes.push_back(Utf8(box.Text));
    EXPECT_EQ(program.LogLines(), log) << c.lines;
    EXPECT_EQ(boxes, messages) << c.lines;
    EXPECT_EQ(run.form->Documents == DocumentReading::On, readable && c.on) << c.lines;
  }
}

TEST(DocumentsCommandTest, OnByDefaultUnderLinuxOffUnderWindows) {
  for (const auto rules : {FakeSystem::Rules::Posix, FakeSystem::Rules::Windows}) {
    TestProgram program("fundort", rules);
    TestRun run(program);
    run.form->Form_Load();
    const bool on = rules == FakeSystem::Rules::Posix && DocumentsReadable();
    EXPECT_EQ(run.form->Documents == DocumentReading::On, on);
  }
}

}  // namespace
