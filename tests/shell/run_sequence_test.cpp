#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using Texts = std::vector<std::u16string>;

TEST(RunSequenceTest, MissingOrUnreadableConfigurationIsReportedAndTheRunGoesOn) {
  const std::u16string unreadable = u"Die Konfigurationsdatei kann nicht gelesen werden. ";
  const std::pair<std::string, std::u16string> cases[] = {
      {"fundort", u"Die Konfigurationsdatei wurde nicht gefunden."},
      {"folder", u"Die Konfigurationsdatei wurde nicht gefunden."},
      {".hidden", u"Die Konfigurationsdatei wurde nicht gefunden."},
      {"closed", unreadable + u"Zugriff verweigert"},
  };
  for (const auto& [name, message] : cases) {
    if (name == "closed" && ::geteuid() == 0) continue;  // root reads every file
    TestProgram program(name);
    if (name == "folder") {
      fs::create_directory(program.ConfigPath());
    } else if (name != "fundort") {
      program.WriteConfig("NAME|P|\r\n");
    }
    if (name == "closed") ::chmod(program.ConfigPath().c_str(), 0);
    TestRun run(program);
    run.LoadAndRun();
    ASSERT_EQ(run.window.Boxes.size(), 1u) << name;
    const MessageRequest& box = run.window.Boxes[0];
    EXPECT_EQ(box.Title + u": " + box.Text, u"Fehler: " + message);
    EXPECT_TRUE(box.Buttons == MessageButtons::Ok);
    EXPECT_EQ(run.window.StatusTexts.back(), u"fertig");
    EXPECT_EQ(
        run.form->Caption.Caption + u" " + run.form->allSize.Caption + u" " + run.form->ConfigFile,
        U16(name + " 0 B " + program.ConfigPath().string()));
    run.form->Form_Unload();
    EXPECT_TRUE(run.window.Closed);
    EXPECT_EQ(program.LogLines(), (Lines{"START " + name, "EXIT"}));
  }
}

TEST(RunSequenceTest, EveryLineIsHandedOnThenTheSearchRuns) {
  // The loop shows the loading text before every line it hands on ("|": an empty command).
  const std::pair<std::string, int> cases[] = {
      {"", 0},       {"|", 1},      {"|\r\n", 1},          {"|\r\n|", 2},
      {"|\r|\r", 2}, {"|\n|\n", 2}, {"|\r\n\r\n|\r\n", 3}, {"|\n\r|", 3},
  };
  for (const auto& [bytes, lines] : cases) {
    TestProgram program;
    program.WriteConfig(bytes);
    TestRun run(program);
    run.LoadAndRun();
    Texts expected{u"Start"};
    expected.insert(expected.end(), lines, u"lade Konfigurationen...");
    expected.insert(expected.end(), {u"durchsuche Dateien...", u"fertig"});
    EXPECT_EQ(run.window.StatusTexts, expected) << bytes;
    EXPECT_TRUE(run.window.Boxes.empty());
  }
}

TEST(RunSequenceTest, ClosingStopsTheRunBeforeTheNextLine) {
  TestProgram program;
  program.dir().Write("tree/a.txt", "x");
  program.dir().Write("tree/b.txt", "x");
  const std::string folder = "FOLDER|" + (program.dir().path() / "tree").string() + "|";
  program.WriteConfig("FILETYPE|*.txt|\r\nNAME|Alle|\r\n" + folder + "\r\nNAME|Nord|x|\r\n");
  TestRun before(program);  // closed before the timer fires
  before.form->Form_Load();
  before.form->Form_Unload();
  before.form->StartTimer_Timer();
  EXPECT_EQ(before.form->Status.Caption, u"Start");
  TestRun during(program);  // closed after the walk's first entry
  during.window.At(1, UserCloses());
  during.LoadAndRun();
  EXPECT_EQ(program.LogLines(),
            (Lines{"START fundort", "EXIT", "START fundort", "CONFIG: FILETYPE|*.txt|",
                   "CONFIG: NAME|Alle|", "CONFIG: " + folder, "EXIT"}));
  EXPECT_EQ(during.form->Persons.size() + during.form->Files.size(), 4u);  // Alle and a.txt
  EXPECT_EQ(during.form->Status.Caption, u"lese Verzeichnis aus...");
  EXPECT_EQ(during.window.Points, 1);
}

TEST(ActivityLogTest, LogIsAppendedAcrossRunsAndLineBreaksCannotSplitALine) {
  TestProgram program;
  for (int i = 0; i < 2; ++i) {
    TestRun run(program);
    run.form->Form_Load();
    run.form->WriteLog(u"found new file: /tmp/evil\r\nKILL: /etc/passwd\n");
    run.form->Form_Unload();
  }
  const std::string forged = "found new file: /tmp/evil??KILL: /etc/passwd?";
  EXPECT_EQ(program.LogLines(),
            (Lines{"START fundort", forged, "EXIT", "START fundort", forged, "EXIT"}));
}

TEST(ActivityLogTest, UnwritableLogChangesNothingElse) {
  TestProgram program;
  fs::create_directory(program.LogPath());
  program.dir().Write("data/a.txt", "");
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + (program.dir().path() / "data").string() +
                      "|\r\nNAME|Alle|\r\n");
  TestRun run(program);
  run.LoadAndRun();
  run.form->Form_Unload();
  EXPECT_TRUE(fs::is_empty(program.LogPath()));
  EXPECT_EQ(run.form->Persons[1].Hits, u"|1|");
  EXPECT_EQ(run.window.StatusTexts.back(), u"fertig");
  EXPECT_TRUE(run.window.Boxes.empty() && run.window.Closed);
}

}  // namespace
