// What a run leaves out of its search, and why, on the in-memory system.
#include <gtest/gtest.h>

#include <functional>

#include "shell/main_form.h"
#include "testing/cpu_time.h"
#include "testing/test_program.h"

namespace {

using platform::EntryKind;
using platform::ErrorKind;
using Operation = FakeSystem::Operation;
using namespace std::string_literals;

/// The coverage in one line: the lists as "name:path@line(reason)", then the non-zero counts.
std::string Summary(const MainForm& form) {
  const RunCoverage& c = form.Coverage();
  std::string out;
  const auto folders = [&out](const char* name, const CappedList<MissedFolder>& list) {
    for (const MissedFolder& folder : list.Entries)
      out += std::string(name) + ":" + Utf8(folder.Path) + "@" + std::to_string(folder.Line) + "(" +
             Utf8(folder.Reason) + ") ";
  };
  folders("missing", c.FoldersMissing);
  folders("unreadable", c.FoldersUnreadable);
  for (const MissedFile& file : c.FilesUnreadable.Entries)
    out += "file:" + Utf8(form.GetFilePath(file.File)) + "(" + Utf8(file.Reason) + ") ";
  for (const TermlessPerson& person : c.PersonsWithoutTerms.Entries)
    out += "termless:" + Utf8(person.Name) + "@" + std::to_string(person.Line) +
           (person.EmptyTerm ? "(empty) " : " ");
  for (const OverlappingFolder& folder : c.OverlappingFolders.Entries)
    out += "overlap:" + Utf8(folder.Path) + "@" + std::to_string(folder.Line) + "~" +
           std::to_string(folder.EarlierLine) + " ";
  const std::pair<const char*, std::int64_t> counts[] = {
      {"hidden", c.HiddenEntries},   {"links", c.FolderLinks},
      {"special", c.SpecialFiles},   {"notAccepted", c.FilesNotAccepted},
      {"tooLarge", c.FilesTooLarge}, {"pseudo", c.PseudoFileSystems}};
  for (const auto& [name, count] : counts)
    if (count != 0) out += std::string(name) + "=" + std::to_string(count) + " ";
  return out + (c.Incomplete() ? "incomplete" : "complete");
}

TEST(WalkCoverageTest, EachKindOfOmissionIsCountedOrListedWithItsLine) {
  // Every row runs "FILETYPE|*.txt|10|" on line 1 and its own lines after it, over /prog/D,
  // which holds a.txt (3 bytes) and whatever the row adds.
  struct Case {
    std::string lines;
    std::function<void(FakeSystem&)> setup;
    std::string coverage;
  };
  const auto none = [](FakeSystem&) {};
  const Case cases[] = {
      {"FOLDER|/prog/D|", none, "complete"},
      {"FOLDER|/prog/D|",
       [](FakeSystem& s) {
         s.AddEntry(u"/prog/D/", u".", EntryKind::Folder);
         s.AddFile(u"/prog/D/.git/x.txt", "x");
         s.AddFile(u"/prog/D/.profile", "x");
       },
       "hidden=2 complete"},
      {"FOLDER|/prog/D|",
       [](FakeSystem& s) {
         s.AddEntry(u"/prog/D/", u"link", EntryKind::FolderLink);
         s.AddEntry(u"/prog/D/", u"fifo", EntryKind::Special);
         s.AddEntry(u"/prog/D/", u"tty", EntryKind::Special);
       },
       "links=1 special=2 complete"},
      {"FOLDER|/prog/D|",
       [](FakeSystem& s) {
         s.AddFile(u"/prog/D/b.doc", "x");
         s.AddFile(u"/prog/D/big.txt", std::string(11, 'x'));
       },
       "notAccepted=1 tooLarge=1 complete"},
      // A later rule that takes the large file by another pattern accepts it.
      {"FILETYPE|big.*|\r\nFOLDER|/prog/D|",
       [](FakeSystem& s) { s.AddFile(u"/prog/D/big.txt", std::string(11, 'x')); }, "complete"},
      {"NAME|A|a|\r\nFOLDER|/prog/nirgends/|\r\nFOLDER|/prog/D|", none,
       "missing:/prog/nirgends@3(Datei nicht gefunden) incomplete"},
      {"FOLDER|/prog/D\0/x|"s, none, "missing:/prog/D\0/x@2(Datei nicht gefunden) incomplete"s},
      {"FOLDER|/prog/D|", [](FakeSystem& s) { s.Fail(Operation::List, u"/prog/D/"); },
       "unreadable:/prog/D@2(Zugriff verweigert) incomplete"},
      {"FOLDER|/prog/D|",
       [](FakeSystem& s) {
         s.AddFile(u"/prog/D/sub/deeper/c.txt", "x");
         s.Fail(Operation::List, u"/prog/D/sub/deeper/", ErrorKind::NotFound);
       },
       "unreadable:/prog/D/sub/deeper@2(Datei nicht gefunden) incomplete"},
      {"FOLDER|/prog/D|",
       [](FakeSystem& s) {
         s.AddFile(u"/prog/D/proc/1/status", "x");
         s.Fail(Operation::List, u"/prog/D/proc/", ErrorKind::PseudoFileSystem);
       },
       "pseudo=1 complete"},
      {"FOLDER|/prog/D|", [](FakeSystem& s) { s.Fail(Operation::Open, u"/prog/D/a.txt"); },
       "file:/prog/D/a.txt(Zugriff verweigert) incomplete"},
      // Only a person no term can fail for is listed; a repeated name declares nobody.
      {"NAME|Erika Müller|Müller\r\nNAME|B|b|\r\nNAME|C||\r\nNAME|D|d||\r\nNAME|Erika Müller|\r\n"
       "NAME||",
       none,
       "termless:Erika Müller@2 termless:C@4(empty) termless:D@5(empty) termless:@7 complete"},
      // The same folder, a folder inside an earlier one, a sibling, and one holding an earlier one
      // (where it meets the configuration and the log).
      {"FOLDER|/prog/D|\r\nFOLDER|/prog/D/|\r\nFOLDER|/prog/D/s|\r\nFOLDER|/prog/E|\r\n"
       "FOLDER|/prog|",
       [](FakeSystem& s) {
         s.AddFile(u"/prog/D/s/x.txt", "x");
         s.AddFile(u"/prog/E/x.txt", "x");
       },
       "overlap:/prog/D@3~2 overlap:/prog/D/s@4~2 overlap:/prog@6~2 notAccepted=2 complete"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.lines);
    TestProgram program;
    program.Write("D/a.txt", "abc");
    row.setup(program.system());
    program.WriteConfig("FILETYPE|*.txt|10|\r\n" + row.lines + "\r\n");
    TestRun run(program);
    run.LoadAndRun();
    EXPECT_EQ(Summary(*run.form), row.coverage);
  }
}

TEST(WalkCoverageTest, MessagesCarryTheirConfigurationLine) {
  TestProgram program;
  program.WriteConfig("NAME|A|a|\nFOO|\r\n\r\nFOLDER|a|b|\rSEARCHMODE|x|");
  TestRun run(program);
  run.LoadAndRun();
  std::vector<std::pair<std::string, int>> boxes;
  for (const MessageRequest& box : run.window.Boxes)
    boxes.emplace_back(Utf8(box.Text), box.ConfigurationLine);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Unbekannter Befehl: \"FOO\"", 2},
      {"Anzahl Parameter bei Befehl \"FOLDER\" ist ungültig.", 4},
      {"Unbekannter Suchmodus \"x\".", 5}};
  EXPECT_EQ(boxes, expected);
}

TEST(WalkCoverageTest, ManyUnreadableFoldersAreCountedWithABoundedList) {
  FakeSystem system;
  // 100 readable folders of 1,000 unreadable ones each.
  constexpr int kFolders = 100'000;
  for (int folder = 0; folder < kFolders; ++folder) {
    const std::u16string path =
        u"/t/" + U16(std::to_string(folder / 1000) + "/" + std::to_string(folder % 1000));
    system.AddFolder(path);
    system.Fail(Operation::List, path + u"/");
  }
  TestRun run(MainFormOptions{.System = system, .Log = LogDestination::None});
  run.form->Form_Load();
  const double start = ThreadCpuSeconds();
  run.form->ReadFolder(u"/t", 0);
  const double took = ThreadCpuSeconds() - start;
  const CappedList<MissedFolder>& unreadable = run.form->Coverage().FoldersUnreadable;
  EXPECT_EQ(unreadable.Count, kFolders);
  EXPECT_EQ(unreadable.Entries.size(), CappedList<MissedFolder>::kLimit);
  EXPECT_TRUE(unreadable.Truncated());
  EXPECT_EQ(Utf8(unreadable.Entries.front().Path), "/t/0/0");
  EXPECT_EQ(run.form->Folders.size(), kFolders + 102u);
  EXPECT_LT(took, 5.0);
}

}  // namespace
