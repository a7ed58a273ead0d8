#include <gtest/gtest.h>

#include "support/number_text.h"
#include "testing/test_program.h"

namespace {

using platform::ErrorKind;

/// What a run left out of its search, and why, as "kind:path@line", then the pseudo file systems.
std::string Summary(const RunCoverage& c) {
  std::u16string out;
  const auto at = [](std::int32_t line) { return u"@" + NumberText(line) + u" "; };
  for (const auto& folder : c.FoldersMissing.Entries)
    out += u"missing:" + folder.Path + at(folder.Line);
  for (const auto& folder : c.FoldersUnreadable.Entries)
    out += u"unreadable:" + folder.Path + u"(" + folder.Reason + u")" + at(folder.Line);
  for (const auto& folder : c.OverlappingFolders.Entries)
    out += u"overlap:" + folder.Path + u"~" + NumberText(folder.EarlierLine) + at(folder.Line);
  return Utf8(out) + "pseudo=" + std::to_string(c.PseudoFileSystems);
}

TEST(WalkCoverageTest, MissingUnreadableAndPseudoFoldersAndOverlappingRoots) {
  // Lines from line 2 on, after "FILETYPE|*.txt|"; the folder whose listing fails, and how.
  const std::tuple<std::string, std::u16string, ErrorKind, std::string> cases[] = {
      // Only a root that is not there is missing; a root refused, or a folder below gone, is
      // unreadable. The root "/" keeps its separator.
      {"FOLDER|/prog/nirgends/|\nFOLDER|/prog/D|", u"/prog/D/x/", ErrorKind::NotFound,
       "missing:/prog/nirgends@2 unreadable:/prog/D/x(Datei nicht gefunden)@3 pseudo=0"},
      {"FOLDER|/|", u"/", ErrorKind::AccessDenied, "unreadable:/(Zugriff verweigert)@2 pseudo=0"},
      {"FOLDER|/prog/D|", u"/prog/D/proc/", ErrorKind::PseudoFileSystem, "pseudo=1"},
      // The same folder, one inside an earlier one, a sibling, and one holding an earlier one.
      {"FOLDER|/prog/D|\nFOLDER|/prog/D/|\nFOLDER|/prog/D/s|\nFOLDER|/prog/E|\nFOLDER|/prog|", u"",
       ErrorKind::Other, "overlap:/prog/D~2@3 overlap:/prog/D/s~2@4 overlap:/prog~2@6 pseudo=0"}};
  for (const auto& [lines, failing, failure, coverage] : cases) {
    TestProgram program;
    for (const std::u16string folder : {u"/prog/D/s", u"/prog/D/x", u"/prog/D/proc/1", u"/prog/E"})
      program.system().AddFolder(folder);
    program.system().Fail(FakeSystem::Operation::List, failing, failure);
    program.WriteConfig("FILETYPE|*.txt|\n" + lines + "\n");
    TestRun run(program);
    run.LoadAndRun();
    EXPECT_EQ(Summary(run.session->Coverage()), coverage) << lines;
  }
}

}  // namespace
