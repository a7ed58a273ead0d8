// Searching with several workers tells exactly what one worker tells, in the same order, on
// real trees that change between the walk and the search and while it runs. The trees hold
// links and swapped folders, which only the descending opener of Linux tells apart.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/system.h"
#include "run/run_session.h"
#include "search/document_search.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

/// Everything a run tells that a report or the window shows, in the order it was told.
struct Told {
  Lines log;
  std::vector<std::pair<PersonId, FileId>> hits;
  Lines unreadable;  ///< file and reason
  Lines notExtracted;
  bool stopped = false;
  bool operator==(const Told&) const = default;
};

bool Holds(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

/// A recording observer that also keeps the hits in the order they came.
class HitRecorder : public RecordingObserver {
 public:
  void HitAdded(PersonId person, FileId file) override { Hits.emplace_back(person, file); }
  std::vector<std::pair<PersonId, FileId>> Hits;
};

/// Runs program's configuration with workers, calling changeTree between the walk and the
/// search and at checkpoints with act.
template <typename ChangeTree, typename Act>
Told RunWith(const InstalledProgram& program, std::int32_t workers, ReadLimits reading,
             ChangeTree changeTree, Act act) {
  fs::remove(program.LogPath());
  RunOptions options = program.Options();
  options.SearchWorkers = workers;
  options.Reading = reading;
  HitRecorder observer;
  RunSession session(options, observer);
  observer.Attach(session);
  for (int at = 1; at < 20000; ++at)
    observer.At(at, [&act, at](RunSession& run) { act(run, at); });
  session.Load();
  for (const std::string& line : LogLinesOf(std::string(
           std::istreambuf_iterator<char>(std::ifstream(program.ConfigPath()).rdbuf()), {}))) {
    if (!line.empty() && !line.starts_with("<unterminated>")) session.ExecuteLine(U16(line));
  }
  changeTree();
  session.Search();
  session.End();
  Told told{program.LogLines(), observer.Hits, {}, {}, session.StopRequested()};
  for (const MissedFile& missed : session.Coverage().FilesUnreadable.Entries)
    told.unreadable.push_back(Utf8(session.Catalog().FilePath(missed.File)) + ": " +
                              Utf8(missed.Reason));
  for (const NotExtractedFile& file : session.NotExtractedFiles())
    told.notExtracted.push_back(Utf8(session.Catalog().FilePath(file.File)) + ": " + file.Reason);
  return told;
}

/// A tree of many small and some multi-block files in several folders, a few naming the
/// persons in several encodings, documents among them when this build reads them.
void WriteTree(const InstalledProgram& program) {
  const TempDir& dir = program.dir();
  for (int folder = 0; folder < 6; ++folder) {
    for (int file = 0; file < 40; ++file) {
      const std::string name =
          "tree/f" + std::to_string(folder) + "/n" + std::to_string(file) + ".txt";
      std::string content(static_cast<std::size_t>(file * 37 % 300), 'a');
      if (file % 7 == 0) content += "Herr Nord";
      if (file % 11 == 0) content += Cp1252("Frau Weiß");
      if (file % 13 == 0) content.insert(content.size() / 2, "SÜD");  // UTF-8, mid-block
      dir.Write(name, content);
    }
  }
  dir.Write("tree/f0/big.txt", std::string(5000, 'x') + "nord" + std::string(5000, 'y'));
  dir.Write("tree/f1/html.txt", "<html><body>Frau Wei&szlig;</body></html>");
  dir.Write("tree/f2/bad.txt", "%PDF-1.4 nothing but damage Nord");
  dir.Write("outside/f3/n1.txt", "Herr Nord aus /etc");  // what a swapped folder leads to
  fs::create_symlink("../../outside/f3/n1.txt", dir.path() / "tree/f4/link.txt");
  program.WriteConfig("FILETYPE|*.txt|\r\nFOLDER|" + (dir.path() / "tree").string() +
                      "|\r\nNAME|Nord|nord|\r\nNAME|Weiß|weiß|\r\nNAME|Süd|SÜD|\r\n" +
                      (DocumentsReadable() ? "DOCUMENTS|ON|\r\n" : ""));
}

// Between the walk and the search, files vanish, one becomes a folder, one is replaced by
// another file and a folder by a link to a folder outside the tree; the link to a file the walk
// found stays followed. Blocks are small and large files mapped, so files come in many blocks.
TEST(ParallelSearchTest, AnyNumberOfWorkersTellsWhatOneWorkerTells) {
  InstalledProgram program;
  WriteTree(program);
  const fs::path tree = program.dir().path() / "tree";
  const auto changeTree = [&] {
    fs::remove(tree / "f1/n3.txt");
    fs::remove(tree / "f5/n39.txt");
    fs::remove(tree / "f2/n14.txt");
    fs::create_directory(tree / "f2/n14.txt");
    fs::rename(tree / "f0/n1.txt", tree / "f0/n0.txt");
    fs::rename(tree / "f3", program.dir().path() / "moved");
    fs::create_symlink(program.dir().path() / "outside/f3", tree / "f3");
  };
  const auto nothing = [](RunSession&, int) {};
  const ReadLimits reading{.BlockBytes = 64, .MapFrom = 4096, .MapBytes = 4096};

  const Told one = RunWith(program, 1, reading, changeTree, nothing);
  const std::string changed = ": " + Utf8(platform::FileChangedSinceWalkError().Description);
  EXPECT_TRUE(Holds(one.unreadable, tree.string() + "/f3/n1.txt" + changed));
  EXPECT_TRUE(Holds(one.unreadable, tree.string() + "/f0/n0.txt" + changed));
  EXPECT_TRUE(Holds(one.log, "found new file: " + tree.string() + "/f4/link.txt"));
  EXPECT_FALSE(Holds(one.log, "found new file: " + tree.string() + "/f3/n1.txt"));
  if (DocumentsReadable()) {
    EXPECT_EQ(one.notExtracted.size(), 1u);
  }
  for (const std::int32_t workers : {2, 3, 8}) {
    SCOPED_TRACE(workers);
    fs::remove_all(tree);  // the changes undone
    fs::remove_all(program.dir().path() / "moved");
    WriteTree(program);
    EXPECT_EQ(RunWith(program, workers, reading, changeTree, nothing), one);
  }
}

// A file deleted through the session while the workers run ahead is found gone, as it is with
// one worker; a stop with every worker busy ends the run with whole files told, in order.
TEST(ParallelSearchTest, ADeleteOrAStopDuringTheSearchIsSeenAsWithOneWorker) {
  InstalledProgram program;
  WriteTree(program);
  const fs::path tree = program.dir().path() / "tree";
  const std::u16string target = U16((tree / "f4/n14.txt").string());  // names Nord
  // The delete comes when the file before it, which names no one, has been started.
  const auto deleteAhead = [&](RunSession& session, int) {
    if (session.Status() == u"n10.txt" && fs::exists(tree / "f4/n14.txt"))
      session.DeleteFound(target, std::nullopt);
  };
  const ReadLimits reading{.BlockBytes = 64};
  const auto keep = [] {};
  const Told one = RunWith(program, 1, reading, keep, deleteAhead);
  EXPECT_TRUE(Holds(one.log, "KILL: " + Utf8(target)));
  EXPECT_TRUE(Holds(one.log, "ERROR: cannot read file: " + Utf8(target)));
  for (const std::int32_t workers : {2, 4}) {
    SCOPED_TRACE(workers);
    program.dir().Write("tree/f4/n14.txt", "Herr Nord");
    EXPECT_EQ(RunWith(program, workers, reading, keep, deleteAhead), one);
  }

  const Told whole = RunWith(program, 4, reading, keep, [](RunSession&, int) {});
  for (const int at : {1, 5, 40, 150}) {
    SCOPED_TRACE(at);
    const Told stopped = RunWith(program, 4, reading, keep, [at](RunSession& session, int now) {
      if (now == at) session.RequestStop();
    });
    EXPECT_TRUE(stopped.stopped);
    ASSERT_LE(stopped.log.size(), whole.log.size());
    ASSERT_FALSE(stopped.log.empty());
    EXPECT_EQ(stopped.log.back(), "EXIT");
    // Every line before it is the whole run's, in its order: no file is told in part or twice.
    EXPECT_TRUE(std::equal(stopped.log.begin(), stopped.log.end() - 1, whole.log.begin()));
    EXPECT_TRUE(std::equal(stopped.hits.begin(), stopped.hits.end(), whole.hits.begin()));
  }
}

}  // namespace

#endif  // _WIN32
