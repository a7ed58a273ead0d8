#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ranges>

#include "platform/native_path.h"
#include "shell/main_form.h"
#include "testing/fake_directories.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;

MainFormOptions WithDirectories(MainFormOptions options, FakeDirectories* fake) {
  options.Directories = fake;
  return options;
}

/// A loaded form with rules without limit, whose walk reads the given directories (the
/// system's when none is given).
struct Walk {
  explicit Walk(std::initializer_list<std::u16string> rules, FakeDirectories* fake = nullptr)
      : run(WithDirectories(program.Options(), fake)) {
    run.form->Form_Load();
    for (const auto& rule : rules)
      run.form->AddFileType(rule, -1);
  }
  /// Walks root, then gives the folders as "parent:name" and the files as
  /// "| type:folder:name:size", with "@" for the real root.
  std::string Tables(const std::u16string& root, const std::string& real = "\n") {
    run.form->ReadFolder(root, 0);
    std::string text;
    for (const FolderEntry& folder : run.form->Folders | std::views::drop(1))
      text += std::to_string(folder.Parent) + ":" + Utf8(folder.Name) + " ";
    for (const FileEntry& file : run.form->Files | std::views::drop(1)) {
      text += "| " + std::to_string(file.TypeIndex) + ":" + std::to_string(file.FolderIndex) + ":" +
              Utf8(file.Name) + ":" + std::to_string(file.Size) + " ";
    }
    for (std::size_t at; (at = text.find(real)) != std::string::npos;)
      text.replace(at, real.size(), "@");
    return text;
  }

  TestProgram program;
  TestRun run;
};

/// D:\Docs of the worked example as /d/Docs.
FakeDirectories Docs() {
  FakeDirectories directories;
  // clang-format off
  directories.Add(u"/d/Docs/", {{u".", true}, {u"..", true}, {u".svn", true}, {u"a.txt", false, 120},
                                {u"b.doc", false, 300}, {u"Old", true}, {u"z.txt", false, 7}});
  // clang-format on
  directories.Add(u"/d/Docs/Old/", {{u".", true}, {u"..", true}, {u"c.txt", false, 50}});
  directories.Add(u"/d/Docs/.svn/", {{u"secret.txt", false, 1}});
  return directories;
}

TEST(FolderWalkTest, WorkedExampleAndClosingTheWindowAtEachPoint) {
  const struct {
    int point;  // pending-message point at which the user closes the window, 0 for none
    std::string tables;
    int fetches;  // each enclosing level fetches at most one more entry after the close
  } cases[] = {
      {0, "0:/d/Docs 1:Old | 1:1:a.txt:120 | 1:2:c.txt:50 | 1:1:z.txt:7 ", 12},
      {1, "0:/d/Docs ", 2},
      {4, "0:/d/Docs | 1:1:a.txt:120 ", 5},
      {6, "0:/d/Docs 1:Old | 1:1:a.txt:120 ", 9},
      {8, "0:/d/Docs 1:Old | 1:1:a.txt:120 | 1:2:c.txt:50 ", 11},
      {9, "0:/d/Docs 1:Old | 1:1:a.txt:120 | 1:2:c.txt:50 ", 11},
      {10, "0:/d/Docs 1:Old | 1:1:a.txt:120 | 1:2:c.txt:50 | 1:1:z.txt:7 ", 12},
  };
  for (const auto& c : cases) {
    FakeDirectories directories = Docs();
    Walk walk({u"*.TXT"}, &directories);
    MainForm& form = *walk.run.form;
    form.AddFileType(u"*.DOC", 100);
    if (c.point > 0) walk.run.window.At(c.point, UserCloses());
    EXPECT_EQ(walk.Tables(u"/d/Docs/"), c.tables) << "closed at " << c.point;
    EXPECT_EQ(directories.Fetches, c.fetches) << "closed at " << c.point;
    EXPECT_EQ(directories.OpenNow, 0) << "closed at " << c.point;
    if (c.point > 0) continue;
    EXPECT_EQ(Utf8(form.anzFolders.Caption + u" " + form.anzFiles.Caption + u" " +
                   form.allSize.Caption + u" " + form.Status.Caption),
              "2 3 177 B lese Verzeichnis aus...");
    EXPECT_EQ(form.GetFolderPath(2) + u" " + form.GetFilePath(2),
              u"/d/Docs/Old/ /d/Docs/Old/c.txt");
    EXPECT_EQ(directories.Closed, (std::vector<std::u16string>{u"/d/Docs/Old/", u"/d/Docs/"}));
    EXPECT_EQ(walk.run.window.Points, 10);
  }
}

TEST(FolderWalkTest, RootPathsLoseOneSeparatorAndComposeBack) {
  const struct {
    std::u16string root, stored, opened;
  } cases[] = {
      // clang-format off
      {u"/d/Docs/", u"/d/Docs", u"/d/Docs/"}, {u"/d/Docs", u"/d/Docs", u"/d/Docs/"},
      {u"/d/Docs//", u"/d/Docs/", u"/d/Docs//"}, {u"/", u"", u"/"}, {u"docs", u"docs", u"docs/"},
      // clang-format on
  };
  for (const auto& c : cases) {
    FakeDirectories directories;
    directories.Add(c.opened, {{u"a.txt", false, 1}});
    Walk walk({u"*"}, &directories);
    EXPECT_EQ(walk.Tables(c.root), "0:" + Utf8(c.stored) + " | 1:1:a.txt:1 ");
  }
}

// ---- Real folder trees. ----

TEST(FolderWalkTreeTest, DotNamesEmptyMissingAndRepeatedFoldersAndLateRules) {
  TempDir dir;
  for (const char* file : {"b.txt", "a.txt", "Z.TXT", ".hidden.txt", ".git/x.txt", "note.bin"})
    dir.Write(file, "x");
  dir.Write("sub/c.txt", "cc");
  dir.Write("sub/deep/caf\xE9.txt", "latin");  // not UTF-8
  fs::create_directory(dir.path() / "empty");
  const std::string root = dir.path().string();
  const auto descriptors = std::distance(fs::directory_iterator("/proc/self/fd"), {});
  Walk walk({u"*.txt"});
  walk.Tables(platform::FromNativePath(root + "/"));
  walk.Tables(platform::FromNativePath(root + "/missing"));
  walk.run.form->AddFileType(u"*.BIN", -1);  // changes nothing recorded
  EXPECT_EQ(walk.Tables(platform::FromNativePath(root), root),
            "0:@ 1:empty 1:sub 3:deep 0:@/missing 0:@ 6:empty 6:sub 8:deep "
            "| 1:1:Z.TXT:1 | 1:1:a.txt:1 | 1:1:b.txt:1 | 1:3:c.txt:2 | 1:4:caf\xE9.txt:5 "
            "| 1:6:Z.TXT:1 | 1:6:a.txt:1 | 1:6:b.txt:1 | 2:6:note.bin:1 | 1:8:c.txt:2 "
            "| 1:9:caf\xE9.txt:5 ");
  EXPECT_EQ(walk.run.form->anzFolders.Caption + u" " + walk.run.form->anzFiles.Caption, u"9 11");
  EXPECT_EQ(walk.run.form->TotalSize, 21);
  EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), descriptors);
  std::string content;
  std::getline(std::ifstream(platform::ToNativePath(walk.run.form->GetFilePath(5))), content);
  EXPECT_EQ(content, "latin");
}

TEST(FolderWalkTreeTest, LinksToFilesCountLinksToFoldersAndSpecialFilesDoNot) {
  TempDir dir;
  dir.Write("file.txt", "12345");
  dir.Write("sub/s.txt", "s");
  const std::pair<const char*, const char*> links[] = {{"file.txt", "link.txt"},
                                                       {"sub", "dirlink"},
                                                       {".", "sub/loop"},
                                                       {"..", "sub/up"},
                                                       {"none", "broken.txt"}};
  for (const auto& [target, link] : links)
    fs::create_symlink(target, dir.path() / link);
  ASSERT_EQ(::mkfifo((dir.path() / "fifo.txt").c_str(), 0644), 0);
  Walk walk({u"*"});
  EXPECT_EQ(walk.Tables(platform::FromNativePath(dir.path().string()), dir.path().string()),
            "0:@ 1:sub | 1:1:file.txt:5 | 1:1:link.txt:5 | 1:2:s.txt:1 ");
}

TEST(FolderWalkTreeTest, FilesOfTwoGibibytesAndMoreAreSizedTestedAndCounted) {
  TempDir dir;
  const std::int64_t gibibyte = std::int64_t{1} << 30;
  for (const auto& [name, size] : {std::pair{"three.dat", 3}, {"five.dat", 5}}) {
    const int descriptor = ::open((dir.path() / name).c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::ftruncate(descriptor, size * gibibyte), 0);  // sparse: takes no disk space
    ::close(descriptor);
  }
  Walk walk({});
  walk.run.form->AddFileType(u"*.DAT", static_cast<double>(3 * gibibyte));
  walk.run.form->AddFileType(u"*.DAT", -1);
  EXPECT_EQ(walk.Tables(platform::FromNativePath(dir.path().string()), dir.path().string()),
            "0:@ | 2:1:five.dat:5368709120 | 1:1:three.dat:3221225472 ");
  EXPECT_EQ(walk.run.form->allSize.Caption, u"8 GB");
}

// A FOLDER path holding NUL names no folder, not the part in front of it: the folder is recorded
// and counted and lists nothing; the log shows the NUL as "?".
TEST(FolderWalkTreeTest, APathHoldingNulNamesNoFolder) {
  TestProgram program;
  program.dir().Write("Daten/a.txt", "x");
  TestRun run(program);
  run.form->Form_Load();
  run.form->ExecConfigLine(u"FILETYPE|*.txt|");
  const std::string root = (program.dir().path() / "Daten").string();
  run.form->ExecConfigLine(u"FOLDER|" + platform::FromNativePath(root) + u'\0' + u"x|");
  EXPECT_EQ(run.form->Folders.size(), 2u);
  EXPECT_EQ(run.form->Files.size(), 1u);
  EXPECT_EQ(run.form->anzFolders.Caption, u"1");
  const std::vector<std::string> log = program.LogLines();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2], "CONFIG: FOLDER|" + root + "?x|");
}

}  // namespace
