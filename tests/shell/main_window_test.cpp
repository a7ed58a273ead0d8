#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "testing/search_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kReplaced = "Die Datei wurde seit der Suche ersetzt oder verschoben.";

TEST(DetailViewTest, SelectorPicksHitsReadBackAsHexadecimalPastSixteenBits) {
  SearchFixture fixture;
  for (std::int32_t file = 1; file <= 0xFFFF; ++file)
    fixture.AddFile("f" + std::to_string(file), {}, 1);
  std::string hits = "|3|A|1A|";
  for (int hit = 4; hit < 32767; ++hit)
    hits += "1|";
  fixture.AddPerson("Nord", "|x|", U16(hits + "FFFF|"));
  fixture.AddPerson("Kasse", "|y|");
  MainForm& form = fixture.form();
  form.ShowPerson(1);
  EXPECT_EQ(form.PersonFrame.Caption, u"Nord");
  form.AddHit(1, 0xABCD);  // the count passes 32767 while Nord is shown
  const std::pair<std::int32_t, std::string> picks[] = {
      {1, "f3"}, {2, "f10"}, {3, "f26"}, {32767, "f65535"}, {32768, "f43981"}};
  for (const auto& [hit, file] : picks) {
    form.PersonFundstellenAuswahl.Value = hit;
    form.PersonFundstellenAuswahl_Scroll();
    const std::string number = std::to_string(hit);
    EXPECT_EQ(fixture.View(), "32768 " + number + " @" + file + " 32768 " + number + " on");
  }
  form.ShowPerson(2);  // no hits: cleared and disabled
  EXPECT_EQ(form.PersonFrame.Caption + u" " + U16(fixture.View()), u"Kasse 0   1 1 off");
}

TEST(DetailViewTest, ButtonsActOnThePathBox) {
  SearchFixture fixture;
  fixture.AddFile("a", "x");
  fixture.AddPerson("Nord", "|x|", u"|1|");
  MainForm& form = fixture.form();
  form.Command1_Click();  // nothing shown: the empty path box
  form.ShowPerson(1);
  form.Command1_Click();
  for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes, MessageAnswer::Yes})
    fixture.window().AnswerNext(answer);
  form.Command2_Click();
  EXPECT_TRUE(fixture.system().Exists(fixture.PathOf("a")));
  form.Command2_Click();  // deletes
  form.Command2_Click();  // finds nothing to delete
  EXPECT_FALSE(fixture.system().Exists(fixture.PathOf("a")));
  EXPECT_EQ(fixture.system().Edited, (std::vector<std::u16string>{u"", fixture.PathOf("a")}));
  EXPECT_EQ(fixture.Log(),
            (std::vector<std::string>{"KILL: @a", "KILL: @a", "ERROR: Datei nicht gefunden"}));
  std::u16string boxes;
  for (const auto& box : fixture.window().Boxes)
    boxes += box.Title + u": " + box.Text + u"\n";
  const std::u16string ask =
      u"Wirklich löschen?: Wollen Sie wirklich diese Datei endgültig löschen?\n";
  EXPECT_EQ(boxes, ask + ask + ask + u"Fehler: Datei nicht gefunden\n");
  EXPECT_EQ(fixture.window().Boxes[0].Buttons, MessageButtons::YesNo);
  EXPECT_EQ(fixture.window().Boxes[0].Default, DefaultButton::Second);
  EXPECT_EQ(fixture.HitsOf(1), "|1|");  // a deleted file stays a hit
}

// Links and renames on a Linux tree; the Windows system checks its own deletes.
#if !defined(_WIN32)
TEST(DetailViewTest, DeleteOnARealTreeNeverReachesThroughALinkOrAReplacement) {
  const struct {
    std::string name;
    std::function<void(const fs::path& tree, const fs::path& elsewhere)> meddle;
    std::string error;
  } cases[] = {
      {"untouched", [](const fs::path&, const fs::path&) {}, ""},
      {"file replaced",  // a new file renamed over the old one, so its inode surely differs
       [](const fs::path& tree, const fs::path&) {
         std::ofstream(tree / "sub/neu") << "neu";
         fs::rename(tree / "sub/neu", tree / "sub/a.txt");
       },
       kReplaced},
      {"folder swapped for a link",
       [](const fs::path& tree, const fs::path& elsewhere) {
         fs::rename(tree / "sub", tree / "alt");
         fs::create_directory_symlink(elsewhere, tree / "sub");
       },
       kReplaced},
      {"file swapped for a link",
       [](const fs::path& tree, const fs::path& elsewhere) {
         fs::create_symlink(elsewhere / "a.txt", tree / "sub/link");
         fs::rename(tree / "sub/link", tree / "sub/a.txt");
       },
       kReplaced},
      {"file gone", [](const fs::path& tree, const fs::path&) { fs::remove(tree / "sub/a.txt"); },
       "Datei nicht gefunden"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InstalledProgram program;
    const fs::path tree = program.dir().Write("tree/sub/a.txt", "x").parent_path().parent_path();
    const fs::path elsewhere = program.dir().Write("elsewhere/a.txt", "fremd").parent_path();
    program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + tree.string() + "|\r\nNAME|Alle|\r\n");
    // The run keeps a.txt for Alle; the disk changes; the user deletes Alle's first hit.
    TestRun run(program.Options());
    run.LoadAndRun();
    const std::size_t before = program.LogLines().size();
    c.meddle(tree, elsewhere);
    run.form->ShowPerson(1);
    run.window.AnswerNext(MessageAnswer::Yes);
    run.form->Command2_Click();
    const std::string kill = "KILL: " + (tree / "sub/a.txt").string();
    std::vector<std::string> log{kill};
    if (!c.error.empty()) log.push_back("ERROR: " + c.error);
    std::vector<std::string> after = program.LogLines();
    after.erase(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_EQ(after, log);
    const MessageRequest& box = run.window.Boxes.back();
    EXPECT_EQ(Utf8(box.Title + u": " + box.Text),
              c.error.empty()
                  ? "Wirklich löschen?: Wollen Sie wirklich diese Datei endgültig löschen?"
                  : "Fehler: " + c.error);
    EXPECT_TRUE(fs::exists(elsewhere / "a.txt"));
    EXPECT_EQ(fs::exists(fs::symlink_status(tree / "sub/a.txt")), c.error == kReplaced);
  }
}
#endif

TEST(DetailViewTest, ADeniedDeleteAndAnEditorThatCannotStartAreReported) {
  SearchFixture fixture;
  fixture.AddFile("a", "x");
  fixture.AddPerson("Nord", "|x|", u"|1|");
  fixture.system().Fail(FakeSystem::Operation::Delete, fixture.PathOf("a"));
  fixture.system().Fail(FakeSystem::Operation::Editor, fixture.PathOf("a"));
  MainForm& form = fixture.form();
  form.ShowPerson(1);
  form.Command1_Click();
  fixture.window().AnswerNext(MessageAnswer::Yes);
  form.Command2_Click();
  EXPECT_TRUE(fixture.system().Exists(fixture.PathOf("a")));
  // The editor's failure is shown but not logged; the delete's is both.
  EXPECT_EQ(fixture.Log(), (std::vector<std::string>{"KILL: @a", "ERROR: Zugriff verweigert"}));
  std::u16string boxes;
  for (const MessageRequest& box : fixture.window().Boxes)
    boxes += box.Title + u": " + box.Text + u"\n";
  EXPECT_EQ(boxes,
            u"Fehler: Zugriff verweigert\n"
            u"Wirklich löschen?: Wollen Sie wirklich diese Datei endgültig löschen?\n"
            u"Fehler: Zugriff verweigert\n");
}

}  // namespace
#include <gtest/gtest.h>

#include "testing/search_fixture.h"

namespace {

TEST(PersonListTest, SortOrdersByHitsWithTheTieRuleAndKeepsTheSelection) {
  const struct {
    std::vector<std::pair<std::string, int>> persons;  // name and hit count
    std::int32_t selected;
    std::vector<std::u16string> sorted;
    std::int32_t reselected;
  } cases[] = {
      // clang-format off
      {{{"Nord", 2}, {"Hafen", 1}, {"Lager", 1}, {"Markt", 1}, {"Kasse", 0}}, 2,
       {u"Nord", u"Hafen", u"Markt", u"Lager", u"Kasse"}, 3},
      {{{"P1", 0}, {"P2", 0}, {"P3", 0}, {"P4", 0}}, -1, {u"P1", u"P4", u"P3", u"P2"}, -1},
      {{}, -1, {}, -1},
      {{{"A", 0}, {"", 1}}, -1, {u"", u"A"}, 0},  // "" is also the text of no selection
      // clang-format on
  };
  for (const auto& c : cases) {
    SearchFixture fixture;
    for (const auto& [name, count] : c.persons) {
      std::string hits = "|";
      for (int hit = 0; hit < count; ++hit)
        hits += "1|";
      fixture.AddPerson(name, "|x|", U16(hits));
    }
    fixture.AddFile("a", {}, 1);
    fixture.form().ShowPerson(1);
    fixture.form().PersonList.ListIndex = c.selected;
    const std::string shown = fixture.View();
    for (int round = 1; round <= 2; ++round) {  // each sort starts from declaration order
      fixture.form().SortList_Click();
      EXPECT_EQ(fixture.form().PersonList.Items, c.sorted) << round;
      EXPECT_EQ(fixture.form().PersonList.ListIndex, c.reselected) << round;
      EXPECT_EQ(fixture.form().PersonList.Tag, u"");
    }
    EXPECT_EQ(fixture.View(), shown);  // the re-selection shows nobody
    EXPECT_EQ(fixture.form().PersonFrame.Tag, c.persons.empty() ? u"" : u"1");
  }
}

}  // namespace
