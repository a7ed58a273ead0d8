// With several workers the folders are walked on a thread of their own while the configuration
// is read on and the search begins: everything the run tells in the end, and the order of it,
// is what a run that walks first tells, on real trees.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "run/run_session.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;

/// The last counts the window was shown, and the status at the end.
class CountRecorder : public RecordingObserver {
 public:
  void FoldersCounted(std::size_t folders) override { Folders = folders; }
  void FilesCounted(std::size_t files, double bytes) override {
    Files = files;
    Bytes = bytes;
  }
  std::size_t Folders = 0;
  std::size_t Files = 0;
  double Bytes = -1;
};

/// Everything of a run that a report shows, as text.
std::vector<std::string> Outcome(const RunSession& session, const CountRecorder& observer,
                                 const InstalledProgram& program) {
  std::vector<std::string> told = program.LogLines();
  const FileCatalog& catalog = session.Catalog();
  for (std::size_t file = 0; file < catalog.FileCount(); ++file) {
    const FileId id = IdOf<FileId>(file);
    told.push_back("file " + Utf8(catalog.FilePath(id)) + " " +
                   std::to_string(catalog.FileSize(id)));
  }
  const RunCoverage& coverage = session.Coverage();
  for (const MissedFolder& folder : coverage.FoldersMissing.Entries)
    told.push_back("missing " + Utf8(folder.Path) + " line " + std::to_string(folder.Line));
  for (const MissedFolder& folder : coverage.FoldersUnreadable.Entries)
    told.push_back("unreadable " + Utf8(folder.Path) + " line " + std::to_string(folder.Line));
  for (const OverlappingFolder& folder : coverage.OverlappingFolders.Entries) {
    told.push_back("overlap " + Utf8(folder.Path) + " lines " + std::to_string(folder.Line) + "/" +
                   std::to_string(folder.EarlierLine));
  }
  told.push_back("skipped " + std::to_string(coverage.HiddenEntries) + " " +
                 std::to_string(coverage.FolderLinks) + " " +
                 std::to_string(coverage.FilesNotAccepted) + " " +
                 std::to_string(coverage.FilesTooLarge));
  for (const RecordedError& error : observer.Errors)
    told.push_back("error " + Utf8(error.first) + " line " + std::to_string(error.second));
  const bool whole = observer.Folders == catalog.FolderCount() &&
                     observer.Files == catalog.FileCount() && observer.Bytes == catalog.TotalSize();
  told.push_back(whole ? "counts shown whole" : "counts shown differ");
  told.push_back("shown " + std::to_string(observer.Folders) + " folders " +
                 std::to_string(observer.Files) + " files " + std::to_string(observer.Bytes) +
                 " bytes, " + Utf8(session.Status()));
  return told;
}

std::vector<std::string> RunWith(const InstalledProgram& program, std::int32_t workers,
                                 int stopAt = 0) {
  fs::remove(program.LogPath());
  RunOptions options = program.Options();
  options.SearchWorkers = workers;
  CountRecorder observer;
  RunSession session(options, observer);
  observer.Attach(session);
  if (stopAt > 0) observer.At(stopAt, [](RunSession& run) { run.RequestStop(); });
  session.Load();
  session.Run();
  session.End();
  return Outcome(session, observer, program);
}

// Two trees, one inside the other's; a FILETYPE line between the FOLDER lines that must not
// change the first walk; a missing folder, an unreadable one, hidden entries, a link to a
// folder, files too large and not accepted; persons named after the folders.
TEST(WalkAheadTest, WalkingBesideTheSearchTellsWhatWalkingFirstTells) {
  InstalledProgram program;
  const TempDir& dir = program.dir();
  for (int folder = 0; folder < 30; ++folder) {
    for (int file = 0; file < 25; ++file) {
      const std::string name =
          "tree/d" + std::to_string(folder) + "/f" + std::to_string(file) + ".txt";
      dir.Write(name, std::string(static_cast<std::size_t>(file * 13), 'x') +
                          (file % 4 == 0 ? "Herr Nord" : "") + (file % 9 == 0 ? "Süd" : ""));
    }
    dir.Write("tree/d" + std::to_string(folder) + "/notes.md", "Nord");
  }
  dir.Write("tree/.hidden/f.txt", "Nord");
  // Files without a size limit are sized as they are read: a link to a file is sized as the
  // file it leads to, and one that cannot be read as the folder lists it.
  fs::create_symlink(dir.path() / "tree/d2/f7.txt", dir.path() / "tree/d3/alias.md");
  dir.Write("tree/d3/closed.md", std::string(77, 'c'));
  fs::permissions(dir.path() / "tree/d3/closed.md", fs::perms::none);
  dir.Write("tree/big.txt", std::string(5000, 'n') + "Nord");
  fs::create_directory_symlink(dir.path() / "tree/d1", dir.path() / "tree/link");
  fs::create_directories(dir.path() / "tree/closed");
  const std::string tree = (dir.path() / "tree").string();
  program.WriteConfig("FILETYPE|*.txt|2000|\r\nFOLDER|" + tree + "|\r\nFILETYPE|*.md|\r\nFOLDER|" +
                      tree + "/d3|\r\nFOLDER|" + tree + "/none|\r\nNOSUCH|line|\r\n" +
                      "NAME|Nord|nord|\r\nNAME|Süd|süd|\r\n");
  fs::permissions(dir.path() / "tree/closed", fs::perms::none);
  const bool closedReadable = ::access((tree + "/closed").c_str(), R_OK) == 0;  // as root

  const std::vector<std::string> first = RunWith(program, 1);
  EXPECT_NE(std::find(first.begin(), first.end(), "overlap " + tree + "/d3 lines 4/2"),
            first.end());
  EXPECT_NE(std::find(first.begin(), first.end(), "missing " + tree + "/none line 5"), first.end());
  if (!closedReadable) {
    EXPECT_NE(std::find(first.begin(), first.end(), "unreadable " + tree + "/closed line 2"),
              first.end());
  }
  // The first walk kept no .md file, the second every one of its folder's.
  EXPECT_EQ(std::find(first.begin(), first.end(), "file " + tree + "/d5/notes.md 4"), first.end());
  EXPECT_NE(std::find(first.begin(), first.end(), "file " + tree + "/d3/notes.md 4"), first.end());
  EXPECT_NE(std::find(first.begin(), first.end(), "file " + tree + "/d3/alias.md 91"), first.end());
  EXPECT_NE(std::find(first.begin(), first.end(), "file " + tree + "/d3/closed.md 77"),
            first.end());
  EXPECT_NE(std::find(first.begin(), first.end(), "counts shown whole"), first.end());
  EXPECT_NE(first.back().find("fertig"), std::string::npos);
  for (const std::int32_t workers : {2, 3, 8}) {
    SCOPED_TRACE(workers);
    EXPECT_EQ(RunWith(program, workers), first);
  }
  fs::permissions(dir.path() / "tree/closed", fs::perms::owner_all);
}

// A stop at any point of the walk ahead or of the search ends the run at once with the walk
// ended too: the log is the whole run's up to the stop, then EXIT.
TEST(WalkAheadTest, AStopWhileTheWalkGoesOnEndsBoth) {
  InstalledProgram program;
  for (int folder = 0; folder < 40; ++folder) {
    for (int file = 0; file < 30; ++file) {
      program.dir().Write("tree/d" + std::to_string(folder) + "/f" + std::to_string(file) + ".txt",
                          file % 3 == 0 ? "Nord" : "Süd");
    }
  }
  program.WriteConfig("FOLDER|" + (program.dir().path() / "tree").string() +
                      "|\r\nNAME|Nord|nord|\r\n");
  RunWith(program, 3);
  const std::vector<std::string> wholeLog = program.LogLines();
  for (const int at : {1, 2, 3, 10, 200, 900}) {
    SCOPED_TRACE(at);
    RunWith(program, 3, at);
    const std::vector<std::string> log = program.LogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "EXIT");
    ASSERT_LE(log.size(), wholeLog.size());
    EXPECT_TRUE(std::equal(log.begin(), log.end() - 1, wholeLog.begin()));
  }
}

}  // namespace

#endif  // _WIN32
