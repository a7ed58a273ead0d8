#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/native_path.h"
#include "shell/main_form.h"
#include "testing/fake_directories.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::u16string>;
using Fake = FakeDirectories;

/// A loaded form whose walk reads the given directories (the system's when none is given).
struct Walk {
  explicit Walk(FakeDirectories* directories = nullptr) : run(Options(directories)) {
    run.form->Form_Load();
    run.window.StatusTexts.clear();
    run.window.Changes.clear();
  }
  MainFormOptions Options(FakeDirectories* directories) const {
    MainFormOptions options = program.Options();
    options.Directories = directories;
    return options;
  }
  MainForm& form() { return *run.form; }

  /// The files as "type:folder:name:size" and the folders as "parent:name", for compact
  /// comparison.
  Texts FileRows() const {
    Texts rows;
    for (std::size_t i = 1; i < run.form->Files.size(); ++i) {
      const FileEntry& file = run.form->Files[i];
      rows.push_back(Number(file.TypeIndex) + u":" + Number(file.FolderIndex) + u":" + file.Name +
                     u":" + Number(file.Size));
    }
    return rows;
  }
  Texts FolderRows() const {
    Texts rows;
    for (std::size_t i = 1; i < run.form->Folders.size(); ++i) {
      const FolderEntry& folder = run.form->Folders[i];
      rows.push_back(Number(folder.Parent) + u":" + folder.Name);
    }
    return rows;
  }
  static std::u16string Number(std::int64_t value) { return U16(std::to_string(value)); }

  TestProgram program;
  TestRun run;
};

/// The worked example's folders: D:\Docs becomes /d/Docs.
void AddDocs(FakeDirectories& directories) {
  directories.Add(u"/d/Docs/", {Fake::Folder(u"."), Fake::Folder(u".."), Fake::Folder(u".svn"),
                                Fake::File(u"a.txt", 120), Fake::File(u"b.doc", 300),
                                Fake::Folder(u"Old"), Fake::File(u"z.txt", 7)});
  directories.Add(u"/d/Docs/Old/",
                  {Fake::Folder(u"."), Fake::Folder(u".."), Fake::File(u"c.txt", 50)});
  directories.Add(u"/d/Docs/.svn/", {Fake::File(u"secret.txt", 1)});
}

TEST(FolderWalkTest, WorkedExampleStepByStep) {
  FakeDirectories directories;
  AddDocs(directories);
  Walk walk(&directories);
  walk.form().AddFileType(u"*.TXT", -1);
  walk.form().AddFileType(u"*.DOC", 100);

  // What the tables hold at every pending-message point: files, folders, total, open handles.
  struct Snapshot {
    std::size_t files;
    std::size_t folders;
    double total;
    int open;
  };
  std::vector<Snapshot> seen;
  for (int point = 1; point <= 10; ++point) {
    walk.run.window.At(point, [&seen, &directories](MainForm& form) {
      seen.push_back(
          {form.Files.size() - 1, form.Folders.size() - 1, form.TotalSize, directories.OpenNow});
    });
  }

  walk.form().ReadFolder(u"/d/Docs/", 0);

  const Snapshot expected[] = {
      {0, 1, 0, 1},   {0, 1, 0, 1},   {0, 1, 0, 1},  // ".", "..", ".svn"
      {1, 1, 120, 1},                                // "a.txt"
      {1, 1, 120, 1},                                // "b.doc" too large for rule 2
      {1, 2, 120, 2}, {1, 2, 120, 2},                // ".", ".." in Old
      {2, 2, 170, 2},                                // "c.txt"
      {2, 2, 170, 1},                                // back in Docs after Old, handle closed
      {3, 2, 177, 1},                                // "z.txt"
  };
  ASSERT_EQ(seen.size(), 10u);
  for (std::size_t point = 0; point < 10; ++point) {
    EXPECT_EQ(seen[point].files, expected[point].files) << "point " << point + 1;
    EXPECT_EQ(seen[point].folders, expected[point].folders) << "point " << point + 1;
    EXPECT_EQ(seen[point].total, expected[point].total) << "point " << point + 1;
    EXPECT_EQ(seen[point].open, expected[point].open) << "point " << point + 1;
  }

  EXPECT_EQ(walk.FolderRows(), (Texts{u"0:/d/Docs", u"1:Old"}));
  EXPECT_EQ(walk.FileRows(), (Texts{u"1:1:a.txt:120", u"1:2:c.txt:50", u"1:1:z.txt:7"}));
  EXPECT_EQ(walk.form().TotalSize, 177);
  EXPECT_EQ(directories.Events, (Texts{u"open /d/Docs/", u"open /d/Docs/Old/",
                                       u"close /d/Docs/Old/", u"close /d/Docs/"}));
  EXPECT_EQ(directories.OpenNow, 0);
  EXPECT_EQ(walk.run.window.StatusTexts,
            (Texts{u"lese Verzeichnis aus...", u"lese Verzeichnis aus..."}));
  EXPECT_EQ(walk.run.window.Changes,
            (std::vector<ControlId>{ControlId::anzFolders, ControlId::Status, ControlId::allSize,
                                    ControlId::anzFiles, ControlId::anzFolders, ControlId::Status,
                                    ControlId::allSize, ControlId::anzFiles, ControlId::allSize,
                                    ControlId::anzFiles}));
  EXPECT_EQ(walk.form().anzFolders.Caption, u"2");
  EXPECT_EQ(walk.form().anzFiles.Caption, u"3");
  EXPECT_EQ(walk.form().allSize.Caption, u"177 B");
  EXPECT_EQ(walk.form().GetFolderPath(2), u"/d/Docs/Old/");
  EXPECT_EQ(walk.form().GetFilePath(2), u"/d/Docs/Old/c.txt");
}

TEST(FolderWalkTest, SizeIsOnlyAskedForANameSomeRuleAccepts) {
  FakeDirectories directories;
  directories.Add(u"/r/", {Fake::File(u"a.bin", 1), Fake::File(u"b.exe", 2),
                           Fake::File(u"c.txt", 3), Fake::File(u"d.txt", 4)});
  Walk walk(&directories);
  walk.form().AddFileType(u"*.TXT", 3);
  walk.form().AddFileType(u"*.TXT", 100);
  walk.form().ReadFolder(u"/r", 0);
  EXPECT_EQ(walk.FileRows(), (Texts{u"1:1:c.txt:3", u"2:1:d.txt:4"}));
  EXPECT_EQ(directories.SizeQueries, 2);
}

TEST(FolderWalkTest, RootPathsKeepTheirFormAndComposeBack) {
  struct Case {
    std::u16string root;
    std::u16string stored;
    std::u16string opened;
  };
  const Case cases[] = {
      {u"/d/Docs/", u"/d/Docs", u"/d/Docs/"},
      {u"/d/Docs", u"/d/Docs", u"/d/Docs/"},
      {u"/d/Docs//", u"/d/Docs/", u"/d/Docs//"},
      {u"/", u"", u"/"},
      {u"docs/", u"docs", u"docs/"},
      {u"docs", u"docs", u"docs/"},
  };
  for (const auto& c : cases) {
    FakeDirectories directories;
    directories.Add(c.opened, {Fake::File(u"a.txt", 1)});
    Walk walk(&directories);
    walk.form().AddFileType(u"*", -1);
    walk.form().ReadFolder(c.root, 0);
    EXPECT_EQ(walk.FolderRows(), Texts{u"0:" + c.stored}) << Utf8(c.root);
    EXPECT_EQ(walk.form().GetFilePath(1), c.opened + u"a.txt") << Utf8(c.root);
  }
}

TEST(FolderWalkTest, ClosingTheWindowStopsTheWalkAndKeepsWhatWasRecorded) {
  struct Case {
    int point;  // pending-message point at which the user closes the window
    Texts files;
    std::size_t folders;
    int fetches;  // each level fetches at most one more entry after the close
  };
  const Case cases[] = {
      {1, {}, 1, 2},
      {3, {}, 1, 4},
      {4, {u"a.txt"}, 1, 5},
      {5, {u"a.txt"}, 1, 6},
      {6, {u"a.txt"}, 2, 9},
      {7, {u"a.txt"}, 2, 10},
      {8, {u"a.txt", u"c.txt"}, 2, 11},
      {9, {u"a.txt", u"c.txt"}, 2, 11},
      {10, {u"a.txt", u"c.txt", u"z.txt"}, 2, 12},
  };
  for (const auto& c : cases) {
    FakeDirectories directories;
    AddDocs(directories);
    Walk walk(&directories);
    walk.form().AddFileType(u"*.TXT", -1);
    walk.run.window.At(c.point, UserCloses());
    walk.form().ReadFolder(u"/d/Docs/", 0);

    Texts names;
    for (std::size_t i = 1; i < walk.form().Files.size(); ++i) {
      names.push_back(walk.form().Files[i].Name);
    }
    EXPECT_EQ(names, c.files) << "closed at " << c.point;
    EXPECT_EQ(walk.form().Folders.size() - 1, c.folders) << "closed at " << c.point;
    EXPECT_EQ(directories.Fetches, c.fetches) << "closed at " << c.point;
    EXPECT_EQ(directories.OpenNow, 0) << "closed at " << c.point;
    EXPECT_TRUE(walk.run.window.Closed);
    EXPECT_EQ(walk.program.LogLines(), (std::vector<std::string>{"START fundort", "EXIT"}));
  }
}

// ---- Real folder trees. ----

std::u16string Native(const fs::path& path) {
  return platform::FromNativePath(path.string());
}

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

TEST(FolderWalkTreeTest, DotFoldersEmptyAndMissingFoldersAndRepeatedRoots) {
  TempDir dir;
  dir.Write("b.txt", "bb");
  dir.Write("a.txt", "a");
  dir.Write("Z.TXT", "zzz");
  dir.Write(".hidden.txt", "h");
  dir.Write(".git/x.txt", "x");
  dir.Write("note.bin", "nnnn");
  dir.Write("sub/c.txt", "cccc");
  dir.Write("sub/deep/d.txt", "ddddd");
  dir.MakeFolder("empty");
  Walk walk;
  walk.form().AddFileType(u"*.txt", -1);
  const int descriptors = OpenDescriptors();

  walk.form().ReadFolder(Native(dir.path()) + u"/", 0);
  walk.form().ReadFolder(Native(dir.path() / "missing"), 0);

  EXPECT_EQ(walk.FolderRows(), (Texts{u"0:" + Native(dir.path()), u"1:empty", u"1:sub", u"3:deep",
                                      u"0:" + Native(dir.path() / "missing")}));
  const Texts once{u"1:1:Z.TXT:3", u"1:1:a.txt:1", u"1:1:b.txt:2", u"1:3:c.txt:4", u"1:4:d.txt:5"};
  EXPECT_EQ(walk.FileRows(), once);
  EXPECT_EQ(walk.form().anzFolders.Caption, u"5");
  EXPECT_EQ(walk.form().anzFiles.Caption, u"5");
  EXPECT_EQ(walk.form().TotalSize, 15);
  EXPECT_EQ(walk.form().GetFilePath(5), Native(dir.path() / "sub/deep/d.txt"));
  EXPECT_EQ(OpenDescriptors(), descriptors);

  // A rule added now changes nothing recorded; the same root again records every file again.
  walk.form().AddFileType(u"*.BIN", -1);
  EXPECT_EQ(walk.FileRows(), once);
  walk.form().ReadFolder(Native(dir.path()), 0);
  EXPECT_EQ(walk.FileRows(), (Texts{u"1:1:Z.TXT:3", u"1:1:a.txt:1", u"1:1:b.txt:2", u"1:3:c.txt:4",
                                    u"1:4:d.txt:5", u"1:6:Z.TXT:3", u"1:6:a.txt:1", u"1:6:b.txt:2",
                                    u"2:6:note.bin:4", u"1:8:c.txt:4", u"1:9:d.txt:5"}));
  EXPECT_EQ(walk.form().TotalSize, 34);
}

TEST(FolderWalkTreeTest, LinksToFilesCountLinksToFoldersAndSpecialFilesDoNot) {
  TempDir dir;
  dir.Write("file.txt", "12345");
  dir.Write("sub/s.txt", "s");
  fs::create_symlink("file.txt", dir.path() / "link.txt");
  fs::create_symlink("sub", dir.path() / "dirlink");
  fs::create_symlink(".", dir.path() / "sub/loop");
  fs::create_symlink("..", dir.path() / "sub/up");
  fs::create_symlink("nowhere.txt", dir.path() / "broken.txt");
  ASSERT_EQ(::mkfifo((dir.path() / "fifo.txt").c_str(), 0644), 0);
  Walk walk;
  walk.form().AddFileType(u"*", -1);

  walk.form().ReadFolder(Native(dir.path()), 0);

  EXPECT_EQ(walk.FolderRows(), (Texts{u"0:" + Native(dir.path()), u"1:sub"}));
  EXPECT_EQ(walk.FileRows(), (Texts{u"1:1:file.txt:5", u"1:1:link.txt:5", u"1:2:s.txt:1"}));
}

TEST(FolderWalkTreeTest, UnreadableFolderIsRecordedWithoutEntries) {
  if (::geteuid() == 0) GTEST_SKIP() << "root can read every folder";
  TempDir dir;
  dir.Write("closed/inside.txt", "x");
  dir.Write("open.txt", "y");
  ::chmod((dir.path() / "closed").c_str(), 0);
  Walk walk;
  walk.form().AddFileType(u"*.TXT", -1);
  walk.form().ReadFolder(Native(dir.path()), 0);
  EXPECT_EQ(walk.FolderRows(), (Texts{u"0:" + Native(dir.path()), u"1:closed"}));
  EXPECT_EQ(walk.FileRows(), (Texts{u"1:1:open.txt:1"}));
}

TEST(FolderWalkTreeTest, NamesThatAreNotUtf8LeadBackToTheirFiles) {
  TempDir dir;
  dir.Write("sub\xFF/caf\xE9.txt", "latin");
  Walk walk;
  walk.form().AddFileType(u"*.TXT", -1);
  walk.form().ReadFolder(Native(dir.path()), 0);
  ASSERT_EQ(walk.FileRows(), Texts{u"1:2:caf\xDCE9.txt:5"});
  std::ifstream in(platform::ToNativePath(walk.form().GetFilePath(1)));
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "latin");
}

TEST(FolderWalkTreeTest, FilesOfTwoGibibytesAndMoreAreSizedTestedAndCounted) {
  TempDir dir;
  const std::int64_t threeGiB = std::int64_t{3} << 30;
  const std::int64_t fiveGiB = std::int64_t{5} << 30;
  for (const auto& [name, size] :
       {std::pair{"three.dat", threeGiB}, std::pair{"five.dat", fiveGiB}}) {
    const int descriptor = ::open((dir.path() / name).c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::ftruncate(descriptor, size), 0);  // sparse: takes no disk space
    ::close(descriptor);
  }
  Walk walk;
  walk.form().AddFileType(u"*.DAT", static_cast<double>(threeGiB));
  walk.form().AddFileType(u"*.DAT", -1);
  walk.form().ReadFolder(Native(dir.path()), 0);
  EXPECT_EQ(walk.FileRows(), (Texts{u"2:1:five.dat:5368709120", u"1:1:three.dat:3221225472"}));
  EXPECT_EQ(walk.form().TotalSize, 8589934592.0);
  EXPECT_EQ(walk.form().allSize.Caption, u"8 GB");
}

}  // namespace
