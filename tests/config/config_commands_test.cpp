#include <gtest/gtest.h>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

/// The enabled encodings in the order ANSI, UTF-8, UTF-16.
std::string EncodingsOf(const MainForm& form) {
  using platform::TextEncoding;
  std::string names;
  for (const auto& [encoding, name] :
       {std::pair{TextEncoding::Ansi, "ANSI"}, std::pair{TextEncoding::Utf8, "UTF-8"},
        std::pair{TextEncoding::Utf16, "UTF-16"}})
    if (form.Encodings.Has(encoding)) names += (names.empty() ? "" : " ") + std::string(name);
  return names;
}

/// What the configuration lines so far set up: mode, walked roots, persons with terms, rules,
/// the files kept with the rule that kept them, and encodings and document reading where they
/// differ from the defaults under Linux.
std::string Describe(const MainForm& form) {
  std::u16string text = u"mode " + U16(std::to_string(form.SearchMode));
  for (std::size_t i = 1; i < form.Folders.size(); ++i)
    if (form.Folders[i].Parent == 0) text += u" folder " + form.Folders[i].Name;
  for (std::size_t i = 1; i < form.Persons.size(); ++i)
    text += u" person " + form.Persons[i].Name + form.Persons[i].Terms;
  for (std::size_t i = 1; i < form.FileTypes.size(); ++i)
    text += u" rule " + form.FileTypes[i].Pattern +
            U16(" " + std::to_string(form.FileTypes[i].MaxSize));
  for (std::int32_t file = 1; file < static_cast<std::int32_t>(form.Files.size()); ++file)
    text +=
        u" file " + form.GetFilePath(file) + U16(":" + std::to_string(form.Files[file].TypeIndex));
  const std::string encodings = EncodingsOf(form);
  if (encodings != "ANSI UTF-8 UTF-16") text += U16(" encodings " + encodings);
  if (form.Documents == DocumentReading::Off && DocumentsReadable()) text += u" documents off";
  return Utf8(text);
}

TEST(ConfigCommandsTest, EachLineIsLoggedCheckedAndActedOn) {
  const std::string count = "Anzahl Parameter bei Befehl \"";
  const struct {
    std::string lines;    // configuration lines, UTF-8 in the test source
    bool logged;          // each written as "CONFIG: " + line
    std::string message;  // the "Fehler" box, empty for none
    std::string state;    // Describe() afterwards
  } cases[] = {
      // clang-format off
      {"", false, "", "mode 1"},
      {"    ", false, "", "mode 1"},
      {"|FOLDER|/tmp|", false, "", "mode 1"},
      {"Foo|1|", false, "Unbekannter Befehl: \"FOO\"", "mode 1"},
      {"\tFOLDER|/x|", false, "Unbekannter Befehl: \"\tFOLDER\"", "mode 1"},
      {"größe", false, "Unbekannter Befehl: \"GRÖßE\"", "mode 1"},
      {"FOLDER|/srv/daten|", true, "", "mode 1 folder /srv/daten"},
      {" folder |/srv/daten|", true, "", "mode 1 folder /srv/daten"},
      {"FOLDER|/srv/a|rest", true, "", "mode 1 folder /srv/a"},
      {"FOLDER|/srv/daten", true, count + "FOLDER\" ist ungültig.", "mode 1"},
      {"FOLDER|/a|/b|", true, count + "FOLDER\" ist ungültig.", "mode 1"},
      {"NAME|Projekt Nord|Nordstadt|Hafenstraße|", true, "", "mode 1 person Projekt Nord|Nordstadt|Hafenstraße|"},
      {"NAME|Projekt Nord|Nordstadt", true, "", "mode 1 person Projekt Nord|Nordstadt"},
      {"name| Nord ||", true, "", "mode 1 person  Nord ||"},
      {"NAME|Nord", true, count + "NAME\" ist ungültig.", "mode 1"},
      // A name that exists already changes nothing; names are compared with their case.
      {"NAME|Nord|a|\nNAME|nord|b|\nNAME|Nord|c|", true, "", "mode 1 person Nord|a| person nord|b|"},
      {"SEARCHMODE| text |", true, "", "mode 2"},
      {"SEARCHMODE|TEXT|\nsearchmode|Binary|", true, "", "mode 1"},
      {"SEARCHMODE|TEXT|\nSEARCHMODE| fast|", true, "Unbekannter Suchmodus \" fast\".", "mode 2"},
      {"SEARCHMODE|TEXT|BINARY|", true, count + "SEARCHMODE\" ist ungültig.", "mode 1"},
      {"FILETYPE|*.txt|", true, "", "mode 1 rule *.TXT -1"},
      {"FILETYPE|*.txt||", true, "", "mode 1 rule *.TXT 0"},
      {"FILETYPE|*.txt|10KB|", true, "", "mode 1 rule *.TXT 10"},
      {"FILETYPE|a|b|c|", true, count + "FILETYPE\" ist ungültig.", "mode 1"},
      {"ENCODING|UTF-16|", true, "", "mode 1 encodings UTF-16"},
      {" encoding | utf-8 |Ansi|UTF-8|", true, "", "mode 1 encodings ANSI UTF-8"},
      {"ENCODING|UTF-16|\nENCODING|ANSI|rest", true, "", "mode 1 encodings ANSI"},
      {"ENCODING|UTF-8", true, count + "ENCODING\" ist ungültig.", "mode 1"},
      // An unknown value is named as written, and the whole line is without effect.
      {"ENCODING|ANSI|\nENCODING|UTF-8| latin1 |", true, "Unbekannte Kodierung \" latin1 \".", "mode 1 encodings ANSI"},
      {"ENCODING|UTF8|", true, "Unbekannte Kodierung \"UTF8\".", "mode 1"},
      {"ENCODING||", true, "Unbekannte Kodierung \"\".", "mode 1"},
      {"DOCUMENTS| off |", true, "", "mode 1 documents off"},
      {"DOCUMENTS|OFF|\ndocuments|on|", true, "", "mode 1"},
      {"DOCUMENTS|OFF|\nDOCUMENTS| Ein |", true, "Unbekannter Wert \" Ein \".", "mode 1 documents off"},
      {"DOCUMENTS||", true, "Unbekannter Wert \"\".", "mode 1"},
      {"DOCUMENTS|OFF|ON|", true, count + "DOCUMENTS\" ist ungültig.", "mode 1"},
      // clang-format on
  };
  for (const auto& c : cases) {
    // Without the extraction library documents cannot be read, whatever a line says.
    if (!DocumentsReadable() && c.lines.find("OCUMENTS") != std::string::npos) continue;
    TestProgram program;
    TestRun run(program);
    run.form->Form_Load();
    Lines log{"START fundort"};
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = c.lines.find('\n', start);
      const std::string line = c.lines.substr(start, end - start);
      run.form->ExecConfigLine(U16(line));
      if (c.logged) log.push_back("CONFIG: " + line);
    }
    EXPECT_EQ(program.LogLines(), log) << c.lines;
    Lines boxes;
    for (const auto& box : run.window.Boxes)
      boxes.push_back(Utf8(box.Title + u": " + box.Text));
    EXPECT_EQ(boxes, c.message.empty() ? Lines{} : Lines{"Fehler: " + c.message}) << c.lines;
    EXPECT_EQ(Describe(*run.form), c.state) << c.lines;
    for (std::size_t person = 1; person < run.form->Persons.size(); ++person) {
      EXPECT_EQ(run.form->PersonList.Items[person - 1], run.form->Persons[person].Name);
      EXPECT_EQ(run.form->FindPerson(run.form->Persons[person].Name), person);
    }
  }
}

TEST(ConfigCommandsTest, EncodingsAndDocumentReadingDefaultToTheSystemsConvention) {
  for (const auto rules : {FakeSystem::Rules::Posix, FakeSystem::Rules::Windows}) {
    TestProgram program("fundort", rules);
    TestRun run(program);
    run.form->Form_Load();
    const bool onLinux = rules == FakeSystem::Rules::Posix;
    EXPECT_EQ(EncodingsOf(*run.form), onLinux ? "ANSI UTF-8 UTF-16" : "ANSI");
    EXPECT_EQ(run.form->Documents == DocumentReading::On, onLinux && DocumentsReadable());
  }
}

TEST(ConfigFileTest, TheExampleFileTakesEffectLineByLine) {
  TestProgram program;
  for (const std::string folder : {"early/", "Briefe/", "Archiv/"}) {
    program.Write(folder + "bild.png", "png");
    program.Write(folder + "brief.txt", "Nordstadt");
    program.system().AddSizedFile(program.Path(folder + "gross.doc"), 500001);
    program.system().AddSizedFile(program.Path(folder + "klein.doc"), 500000);
  }
  const std::string root = Utf8(program.Folder()) + "/";
  program.WriteConfig(Replace(
      "SEARCHMODE|TEXT|\r\nFOLDER|@early|\r\nFILETYPE|*.txt|\r\nFILETYPE|*.doc|500000|\r\n"
      "FOLDER|@Briefe/|\r\nNAME|Projekt Nord|Nordstadt|Hafenstraße|\r\nNAME|Lieferant 7|L-0007|\r\n"
      "FILETYPE|*.png|\r\nFOLDER|@Archiv|\r\n",
      "@", root));
  TestRun run(program);
  run.LoadAndRun();
  // A FOLDER line keeps only what the rules above it accept: nothing before the first rule.
  EXPECT_EQ(Replace(Describe(*run.form), root, "@"),
            "mode 2 folder @early folder @Briefe folder @Archiv person Projekt "
            "Nord|Nordstadt|Hafenstraße| person Lieferant 7|L-0007| rule *.TXT -1 rule *.DOC "
            "500000 rule *.PNG -1 file @Briefe/brief.txt:1 file @Briefe/klein.doc:2 file "
            "@Archiv/bild.png:3 file @Archiv/brief.txt:1 file @Archiv/klein.doc:2");
}

}  // namespace
