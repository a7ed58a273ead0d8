#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/native_path.h"
#include "shell/main_form.h"
#include "testing/fake_directories.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::u16string>;
using Entry = FakeDirectories::Entry;

/// A loaded form whose walk reads the given directories (the system's when none is given).
struct Walk {
  explicit Walk(std::initializer_list<std::u16string> rules, FakeDirectories* directories = nullptr)
      : run([&] {
          MainFormOptions options = program.Options();
          options.Directories = directories;
          return options;
        }()) {
    run.form->Form_Load();
    for (const auto& rule : rules)
      run.form->AddFileType(rule, -1);
  }
  MainForm& form() { return *run.form; }
  /// The files as "type:folder:name:size" and the folders as "parent:name".
  Texts FileRows() const {
    Texts rows;
    for (std::size_t i = 1; i < run.form->Files.size(); ++i) {
      const FileEntry& file = run.form->Files[i];
      rows.push_back(
          U16(std::to_string(file.TypeIndex) + ":" + std::to_string(file.FolderIndex) + ":") +
          file.Name + U16(":" + std::to_string(file.Size)));
    }
    return rows;
  }
  Texts FolderRows() const {
    Texts rows;
    for (std::size_t i = 1; i < run.form->Folders.size(); ++i)
      rows.push_back(U16(std::to_string(run.form->Folders[i].Parent) + ":") +
                     run.form->Folders[i].Name);
    return rows;
  }

  TestProgram program;
  TestRun run;
};

/// D:\Docs of the worked example as /d/Docs.
void AddDocs(FakeDirectories& directories) {
  directories.Add(u"/d/Docs/", {{u".", true},
                                {u"..", true},
                                {u".svn", true},
                                {u"a.txt", false, 120},
                                {u"b.doc", false, 300},
                                {u"Old", true},
                                {u"z.txt", false, 7}});
  directories.Add(u"/d/Docs/Old/", {{u".", true}, {u"..", true}, {u"c.txt", false, 50}});
  directories.Add(u"/d/Docs/.svn/", {{u"secret.txt", false, 1}});
}

TEST(FolderWalkTest, WorkedExample) {
  FakeDirectories directories;
  AddDocs(directories);
  Walk walk({}, &directories);
  walk.form().AddFileType(u"*.TXT", -1);
  walk.form().AddFileType(u"*.DOC", 100);
  walk.form().ReadFolder(u"/d/Docs/", 0);

  EXPECT_EQ(walk.FolderRows(), (Texts{u"0:/d/Docs", u"1:Old"}));
  EXPECT_EQ(walk.FileRows(), (Texts{u"1:1:a.txt:120", u"1:2:c.txt:50", u"1:1:z.txt:7"}));
  EXPECT_EQ(walk.form().anzFolders.Caption + u" " + walk.form().anzFiles.Caption + u" " +
                walk.form().allSize.Caption + u" " + walk.form().Status.Caption,
            u"2 3 177 B lese Verzeichnis aus...");
  EXPECT_EQ(walk.form().TotalSize, 177);
  EXPECT_EQ(walk.form().GetFolderPath(2), u"/d/Docs/Old/");
  EXPECT_EQ(walk.form().GetFilePath(2), u"/d/Docs/Old/c.txt");
  EXPECT_EQ(directories.Events, (Texts{u"open /d/Docs/", u"open /d/Docs/Old/",
                                       u"close /d/Docs/Old/", u"close /d/Docs/"}));
  EXPECT_EQ(walk.run.window.Points, 10);
}

TEST(FolderWalkTest, ClosingTheWindowStopsTheWalkAndKeepsWhatWasRecorded) {
  const struct {
    int point;  // pending-message point at which the user closes the window
    Texts files;
    std::size_t folders;
    int fetches;  // each enclosing level fetches at most one more entry after the close
  } cases[] = {
      {1, {}, 1, 2},
      {4, {u"a.txt"}, 1, 5},
      {6, {u"a.txt"}, 2, 9},
      {8, {u"a.txt", u"c.txt"}, 2, 11},
      {9, {u"a.txt", u"c.txt"}, 2, 11},
      {10, {u"a.txt", u"c.txt", u"z.txt"}, 2, 12},
  };
  for (const auto& c : cases) {
    FakeDirectories directories;
    AddDocs(directories);
    Walk walk({u"*.TXT"}, &directories);
    walk.run.window.At(c.point, UserCloses());
    walk.form().ReadFolder(u"/d/Docs/", 0);
    Texts names;
    for (std::size_t i = 1; i < walk.form().Files.size(); ++i)
      names.push_back(walk.form().Files[i].Name);
    EXPECT_EQ(names, c.files) << "closed at " << c.point;
    EXPECT_EQ(walk.form().Folders.size() - 1, c.folders) << "closed at " << c.point;
    EXPECT_EQ(directories.Fetches, c.fetches) << "closed at " << c.point;
    EXPECT_EQ(directories.OpenNow, 0) << "closed at " << c.point;
    EXPECT_EQ(walk.run.window.Points, c.point);
  }
}

TEST(FolderWalkTest, RootPathsLoseOneSeparatorAndComposeBack) {
  const struct {
    std::u16string root, stored, opened;
  } cases[] = {
      {u"/d/Docs/", u"/d/Docs", u"/d/Docs/"},
      {u"/d/Docs", u"/d/Docs", u"/d/Docs/"},
      {u"/d/Docs//", u"/d/Docs/", u"/d/Docs//"},
      {u"/", u"", u"/"},
      {u"docs", u"docs", u"docs/"},
  };
  for (const auto& c : cases) {
    FakeDirectories directories;
    directories.Add(c.opened, {{u"a.txt", false, 1}});
    Walk walk({u"*"}, &directories);
    walk.form().ReadFolder(c.root, 0);
    EXPECT_EQ(walk.FolderRows(), Texts{u"0:" + c.stored}) << Utf8(c.root);
    EXPECT_EQ(walk.form().GetFilePath(1), c.opened + u"a.txt") << Utf8(c.root);
  }
}

// ---- Real folder trees. ----

std::u16string Native(const fs::path& path) {
  return platform::FromNativePath(path.string());
}

TEST(FolderWalkTreeTest, DotNamesEmptyMissingAndRepeatedFoldersAndLateRules) {
  TempDir dir;
  for (const char* file : {"b.txt", "a.txt", "Z.TXT", ".hidden.txt", ".git/x.txt", "note.bin"})
    dir.Write(file, "x");
  dir.Write("sub/c.txt", "cc");
  dir.Write("sub/deep/caf\xE9.txt", "latin");  // not UTF-8
  fs::create_directory(dir.path() / "empty");
  Walk walk({u"*.txt"});
  const auto descriptors = std::distance(fs::directory_iterator("/proc/self/fd"), {});

  walk.form().ReadFolder(Native(dir.path()) + u"/", 0);
  walk.form().ReadFolder(Native(dir.path() / "missing"), 0);
  walk.form().AddFileType(u"*.BIN", -1);  // changes nothing recorded
  walk.form().ReadFolder(Native(dir.path()), 0);

  EXPECT_EQ(walk.FolderRows(),
            (Texts{u"0:" + Native(dir.path()), u"1:empty", u"1:sub", u"3:deep",
                   u"0:" + Native(dir.path() / "missing"), u"0:" + Native(dir.path()), u"6:empty",
                   u"6:sub", u"8:deep"}));
  EXPECT_EQ(walk.FileRows(),
            (Texts{u"1:1:Z.TXT:1", u"1:1:a.txt:1", u"1:1:b.txt:1", u"1:3:c.txt:2",
                   u"1:4:caf\xDCE9.txt:5", u"1:6:Z.TXT:1", u"1:6:a.txt:1", u"1:6:b.txt:1",
                   u"2:6:note.bin:1", u"1:8:c.txt:2", u"1:9:caf\xDCE9.txt:5"}));
  EXPECT_EQ(walk.form().anzFolders.Caption + u" " + walk.form().anzFiles.Caption, u"9 11");
  EXPECT_EQ(walk.form().TotalSize, 21);
  EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), descriptors);
  std::string content;
  std::getline(std::ifstream(platform::ToNativePath(walk.form().GetFilePath(5))), content);
  EXPECT_EQ(content, "latin");
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
  Walk walk({u"*"});
  walk.form().ReadFolder(Native(dir.path()), 0);
  EXPECT_EQ(walk.FolderRows(), (Texts{u"0:" + Native(dir.path()), u"1:sub"}));
  EXPECT_EQ(walk.FileRows(), (Texts{u"1:1:file.txt:5", u"1:1:link.txt:5", u"1:2:s.txt:1"}));
}

TEST(FolderWalkTreeTest, FilesOfTwoGibibytesAndMoreAreSizedTestedAndCounted) {
  TempDir dir;
  const std::int64_t threeGiB = std::int64_t{3} << 30;
  for (const auto& [name, size] :
       {std::pair{"three.dat", threeGiB}, std::pair{"five.dat", 5 * (threeGiB / 3)}}) {
    const int descriptor = ::open((dir.path() / name).c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::ftruncate(descriptor, size), 0);  // sparse: takes no disk space
    ::close(descriptor);
  }
  Walk walk({});
  walk.form().AddFileType(u"*.DAT", static_cast<double>(threeGiB));
  walk.form().AddFileType(u"*.DAT", -1);
  walk.form().ReadFolder(Native(dir.path()), 0);
  EXPECT_EQ(walk.FileRows(), (Texts{u"2:1:five.dat:5368709120", u"1:1:three.dat:3221225472"}));
  EXPECT_EQ(walk.form().allSize.Caption, u"8 GB");
}

}  // namespace
