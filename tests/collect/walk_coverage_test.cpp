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

/// The coverage lists in one line as "kind:path-or-name@line", then the pseudo file systems.
std::string Summary(const RunCoverage& c) {
  std::string out;
  const auto add = [&out](const char* kind, std::u16string_view what, std::int32_t line) {
    out += std::string(kind) + ":" + Utf8(what) + "@" + std::to_string(line) + " ";
  };
  for (const MissedFolder& folder : c.FoldersMissing.Entries)
    add("missing", folder.Path, folder.Line);
  for (const MissedFolder& folder : c.FoldersUnreadable.Entries)
    add("unreadable", folder.Path + u"(" + folder.Reason + u")", folder.Line);
  for (const TermlessPerson& person : c.PersonsWithoutTerms.Entries)
    add(person.EmptyTerm ? "emptyTerm" : "noTerms", person.Name, person.Line);
  for (const OverlappingFolder& folder : c.OverlappingFolders.Entries)
    add("overlap", folder.Path + u"~" + U16(std::to_string(folder.EarlierLine)), folder.Line);
  return out + "pseudo=" + std::to_string(c.PseudoFileSystems);
}

// The kinds the real tree cannot show (or not cheaply): how a failed listing is classed, pseudo
// file systems, which persons no term can fail for, and which FOLDER lines overlap.
TEST(WalkCoverageTest, FailedListingsTermlessPersonsAndOverlappingFolders) {
  struct Case {
    std::string lines;  // from line 2 on, after "FILETYPE|*.txt|"
    std::function<void(FakeSystem&)> setup;
    std::string coverage;
  };
  const auto none = [](FakeSystem&) {};
  const Case cases[] = {
      // Only a root that is not there is missing; a root refused, or a folder below gone, is
      // unreadable.
      {"FOLDER|/prog/nirgends/|\nFOLDER|/prog/D|",
       [](FakeSystem& s) {
         s.AddFolder(u"/prog/D/sub");
         s.Fail(Operation::List, u"/prog/D/sub/", ErrorKind::NotFound);
       },
       "missing:/prog/nirgends@2 unreadable:/prog/D/sub(Datei nicht gefunden)@3 pseudo=0"},
      {"FOLDER|/prog/D|", [](FakeSystem& s) { s.Fail(Operation::List, u"/prog/D/"); },
       "unreadable:/prog/D(Zugriff verweigert)@2 pseudo=0"},
      {"FOLDER|/prog/D|",
       [](FakeSystem& s) {
         s.AddFile(u"/prog/D/proc/1/status", "x");
         s.Fail(Operation::List, u"/prog/D/proc/", ErrorKind::PseudoFileSystem);
       },
       "pseudo=1"},
      // A repeated name declares nobody; an empty term stands in every file that is not empty.
      {"NAME|A|a\nNAME|B|b|\nNAME|C||\nNAME|D|d||\nNAME|A|\nNAME||", none,
       "noTerms:A@2 emptyTerm:C@4 emptyTerm:D@5 noTerms:@7 pseudo=0"},
      // The same folder, one inside an earlier one, a sibling, and one holding an earlier one.
      {"FOLDER|/prog/D|\nFOLDER|/prog/D/|\nFOLDER|/prog/D/s|\nFOLDER|/prog/E|\nFOLDER|/prog|",
       [](FakeSystem& s) {
         s.AddFolder(u"/prog/D/s");
         s.AddFolder(u"/prog/E");
       },
       "overlap:/prog/D~2@3 overlap:/prog/D/s~2@4 overlap:/prog~2@6 pseudo=0"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.lines);
    TestProgram program;
    program.system().AddFolder(u"/prog/D");
    row.setup(program.system());
    program.WriteConfig("FILETYPE|*.txt|\n" + row.lines + "\n");
    TestRun run(program);
    run.LoadAndRun();
    EXPECT_EQ(Summary(run.form->Coverage()), row.coverage);
  }
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
