#include <gtest/gtest.h>

#include <functional>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

using Lines = std::vector<std::string>;

struct LineCase {
  std::string line;     // one configuration line, UTF-8 in the test source
  bool logged;          // written as "CONFIG: " + line
  std::string message;  // the "Fehler" box, empty for none
  std::function<void(const MainForm&)> check = [](const MainForm&) {};
};

// Runs one line through a freshly loaded form and checks log, box and effect.
void ExpectLine(const LineCase& c) {
  TestProgram program;
  TestRun run(program);
  run.form->Form_Load();
  run.form->ExecConfigLine(U16(c.line));
  Lines expectedLog{"START fundort"};
  if (c.logged) expectedLog.push_back("CONFIG: " + c.line);
  EXPECT_EQ(program.LogLines(), expectedLog) << c.line;
  if (c.message.empty()) {
    EXPECT_TRUE(run.window.Boxes.empty()) << c.line;
  } else {
    ASSERT_EQ(run.window.Boxes.size(), 1u) << c.line;
    EXPECT_EQ(Utf8(run.window.Boxes[0].Text), c.message) << c.line;
    EXPECT_EQ(run.window.Boxes[0].Title, u"Fehler");
    EXPECT_EQ(run.window.Boxes[0].Icon, MessageIcon::Critical);
    EXPECT_EQ(run.window.Boxes[0].Buttons, MessageButtons::Ok);
  }
  c.check(*run.form);
}

std::function<void(const MainForm&)> Walked(std::vector<std::u16string> roots) {
  return [roots](const MainForm& form) {
    std::vector<std::u16string> actual;
    for (std::size_t i = 1; i < form.Folders.size(); ++i) {
      if (form.Folders[i].Parent == 0) actual.push_back(form.Folders[i].Name);
    }
    EXPECT_EQ(actual, roots);
  };
}

std::function<void(const MainForm&)> Person(std::u16string name, std::u16string terms) {
  return [name, terms](const MainForm& form) {
    ASSERT_EQ(form.Persons.size(), 2u);
    EXPECT_EQ(form.Persons[1].Name, name);
    EXPECT_EQ(form.Persons[1].Terms, terms);
    EXPECT_EQ(form.Persons[1].Hits, u"|");
    EXPECT_EQ(form.PersonList.Items, std::vector<std::u16string>{name});
  };
}

std::function<void(const MainForm&)> Mode(int mode) {
  return [mode](const MainForm& form) { EXPECT_EQ(form.SearchMode, mode); };
}

std::function<void(const MainForm&)> Rule(std::u16string pattern, std::int64_t maxSize) {
  return [pattern, maxSize](const MainForm& form) {
    ASSERT_EQ(form.FileTypes.size(), 2u);
    EXPECT_EQ(form.FileTypes[1].Pattern, pattern);
    EXPECT_EQ(form.FileTypes[1].MaxSize, maxSize);
  };
}

std::function<void(const MainForm&)> NothingChanged() {
  return [](const MainForm& form) {
    EXPECT_EQ(form.Folders.size(), 1u);
    EXPECT_EQ(form.Persons.size(), 1u);
    EXPECT_EQ(form.FileTypes.size(), 1u);
    EXPECT_EQ(form.SearchMode, 1);
  };
}

TEST(ConfigCommandsTest, EmptyAndUnknownCommandsAreNotLogged) {
  const LineCase cases[] = {
      {"", false, "", NothingChanged()},
      {"    ", false, "", NothingChanged()},
      {"|FOLDER|/tmp|", false, "", NothingChanged()},
      {" |x|", false, "", NothingChanged()},
      {"Foo|1|", false, "Unbekannter Befehl: \"FOO\"", NothingChanged()},
      {"FOLDR|/x|", false, "Unbekannter Befehl: \"FOLDR\"", NothingChanged()},
      {"\tFOLDER|/x|", false, "Unbekannter Befehl: \"\tFOLDER\"", NothingChanged()},
      {"größe", false, "Unbekannter Befehl: \"GRÖßE\"", NothingChanged()},
  };
  for (const auto& c : cases)
    ExpectLine(c);
}

TEST(ConfigCommandsTest, FolderWalksExactlyOneClosedField) {
  const LineCase cases[] = {
      {"FOLDER|/srv/daten|", true, "", Walked({u"/srv/daten"})},
      {" folder |/srv/daten|", true, "", Walked({u"/srv/daten"})},
      {"FOLDER|/srv/a|rest", true, "", Walked({u"/srv/a"})},
      {"FOLDER|/srv/daten", true, "Anzahl Parameter bei Befehl \"FOLDER\" ist ungültig.",
       NothingChanged()},
      {"FOLDER", true, "Anzahl Parameter bei Befehl \"FOLDER\" ist ungültig.", NothingChanged()},
      {"FOLDER|/a|/b|", true, "Anzahl Parameter bei Befehl \"FOLDER\" ist ungültig.",
       NothingChanged()},
  };
  for (const auto& c : cases)
    ExpectLine(c);
}

TEST(ConfigCommandsTest, NameAddsAPersonWithTheFieldsAfterTheName) {
  const LineCase cases[] = {
      {"NAME|Projekt Nord|Nordstadt|Hafenstraße|", true, "",
       Person(u"Projekt Nord", u"|Nordstadt|Hafenstraße|")},
      {"NAME|Projekt Nord|", true, "", Person(u"Projekt Nord", u"|")},
      {"NAME|Projekt Nord|Nordstadt", true, "", Person(u"Projekt Nord", u"|Nordstadt")},
      {"NAME||Nordstadt|", true, "", Person(u"", u"|Nordstadt|")},
      {"name| Nord |x||", true, "", Person(u" Nord ", u"|x||")},
      {"NAME", true, "Anzahl Parameter bei Befehl \"NAME\" ist ungültig.", NothingChanged()},
      {"NAME|Nord", true, "Anzahl Parameter bei Befehl \"NAME\" ist ungültig.", NothingChanged()},
  };
  for (const auto& c : cases)
    ExpectLine(c);
}

TEST(ConfigCommandsTest, SearchModeTakesTextOrBinary) {
  const LineCase cases[] = {
      {"SEARCHMODE|TEXT|", true, "", Mode(2)},
      {"SEARCHMODE| text |", true, "", Mode(2)},
      {"searchmode|Binary|", true, "", Mode(1)},
      {"SEARCHMODE|fast|", true, "Unbekannter Suchmodus \"fast\".", Mode(1)},
      {"SEARCHMODE| fast|", true, "Unbekannter Suchmodus \" fast\".", Mode(1)},
      {"SEARCHMODE|TEXT|BINARY|", true, "Anzahl Parameter bei Befehl \"SEARCHMODE\" ist ungültig.",
       Mode(1)},
      {"SEARCHMODE", true, "Anzahl Parameter bei Befehl \"SEARCHMODE\" ist ungültig.", Mode(1)},
  };
  for (const auto& c : cases)
    ExpectLine(c);
}

TEST(ConfigCommandsTest, FileTypeReadsAnOptionalSizeLimit) {
  const LineCase cases[] = {
      {"FILETYPE|*.txt|", true, "", Rule(u"*.TXT", -1)},
      {"FILETYPE|*.txt||", true, "", Rule(u"*.TXT", 0)},
      {"FILETYPE|*.txt|-1|", true, "", Rule(u"*.TXT", -1)},
      {"FILETYPE|*.txt|-5|", true, "", Rule(u"*.TXT", -5)},
      {"FILETYPE|*.txt|2.5|", true, "", Rule(u"*.TXT", 2)},
      {"FILETYPE|*.txt|3.5|", true, "", Rule(u"*.TXT", 4)},
      {"FILETYPE|*.txt|200 000|", true, "", Rule(u"*.TXT", 200000)},
      {"FILETYPE|*.txt|10KB|", true, "", Rule(u"*.TXT", 10)},
      {"FILETYPE|*.txt|1,5|", true, "", Rule(u"*.TXT", 1)},
      {"FILETYPE|*.txt|&H10|", true, "", Rule(u"*.TXT", 16)},
      {"FILETYPE|*.doc|5000000000|", true, "", Rule(u"*.DOC", 5000000000LL)},
      {"FILETYPE|*.doc|1E30|", true, "", Rule(u"*.DOC", INT64_MAX)},
      {"FILETYPE", true, "Anzahl Parameter bei Befehl \"FILETYPE\" ist ungültig.",
       NothingChanged()},
      {"FILETYPE|a|b|c|", true, "Anzahl Parameter bei Befehl \"FILETYPE\" ist ungültig.",
       NothingChanged()},
  };
  for (const auto& c : cases)
    ExpectLine(c);
}

TEST(PersonTableTest, NamesAreUniqueAndComparedExactly) {
  TestProgram program;
  TestRun run(program);
  MainForm& form = *run.form;
  form.Form_Load();
  EXPECT_EQ(form.FindPerson(u"Nord"), 0);
  EXPECT_EQ(form.FindPerson(u""), 0);
  form.AddPerson(u"Nord", u"|a|");
  form.AddPerson(u"nord", u"|b|");
  form.AddPerson(u"Nord", u"|c|");
  form.AddPerson(u"", u"|");
  EXPECT_EQ(form.FindPerson(u"Nord"), 1);
  EXPECT_EQ(form.FindPerson(u"nord"), 2);
  EXPECT_EQ(form.FindPerson(u"Nord "), 0);
  EXPECT_EQ(form.FindPerson(u""), 3);
  EXPECT_FALSE(form.IsNewPerson(u"Nord"));
  EXPECT_TRUE(form.IsNewPerson(u"NORD"));
  EXPECT_EQ(form.Persons[1].Terms, u"|a|");
  EXPECT_EQ(form.PersonList.Items, (std::vector<std::u16string>{u"Nord", u"nord", u""}));
}

TEST(ConfigFileTest, TheExampleFileTakesEffectLineByLine) {
  TestProgram program;
  const std::string root = program.dir().path().string();
  program.WriteConfig(
      "SEARCHMODE|TEXT|\r\n"
      "FOLDER|" +
      root +
      "/early|\r\n"
      "FILETYPE|*.txt|\r\n"
      "FILETYPE|*.doc|500000|\r\n"
      "FOLDER|" +
      root +
      "/Briefe/|\r\n"
      "NAME|Projekt Nord|Nordstadt|Hafenstraße|\r\n"
      "NAME|Lieferant 7|L-0007|\r\n"
      "NAME|Projekt Nord|Doppelt|\r\n"
      "SEARCHMODE|fast|\r\n"
      "FOLDER|" +
      root + "/Archiv|\r\n");
  TestRun run(program);
  run.LoadAndRun();
  const MainForm& form = *run.form;
  EXPECT_EQ(form.SearchMode, 2);
  ASSERT_EQ(form.Persons.size(), 3u);
  EXPECT_EQ(form.Persons[1].Terms, u"|Nordstadt|Hafenstraße|");
  EXPECT_EQ(form.Persons[2].Name, u"Lieferant 7");
  EXPECT_EQ(form.PersonList.Items, (std::vector<std::u16string>{u"Projekt Nord", u"Lieferant 7"}));
  ASSERT_EQ(run.window.Boxes.size(), 1u);
  EXPECT_EQ(run.window.Boxes[0].Text, u"Unbekannter Suchmodus \"fast\".");
  EXPECT_EQ(program.LogLines(),
            (Lines{"START fundort", "CONFIG: SEARCHMODE|TEXT|",
                   "CONFIG: FOLDER|" + root + "/early|", "CONFIG: FILETYPE|*.txt|",
                   "CONFIG: FILETYPE|*.doc|500000|", "CONFIG: FOLDER|" + root + "/Briefe/|",
                   "CONFIG: NAME|Projekt Nord|Nordstadt|Hafenstraße|",
                   "CONFIG: NAME|Lieferant 7|L-0007|", "CONFIG: NAME|Projekt Nord|Doppelt|",
                   "CONFIG: SEARCHMODE|fast|", "CONFIG: FOLDER|" + root + "/Archiv|"}));
}

}  // namespace
