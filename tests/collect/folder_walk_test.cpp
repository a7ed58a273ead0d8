#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ranges>

#include "shell/main_form.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using platform::EntryKind;

/// A loaded form with rules without limit, whose walk reads the given system.
struct Walk {
  Walk(std::initializer_list<std::u16string> rules, MainFormOptions options)
      : run(std::move(options)) {
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

  TestRun run;
};

/// The fake system, with no log written into it.
MainFormOptions On(FakeSystem& system) {
  return MainFormOptions{.System = system, .Log = LogDestination::None};
}

/// A folder of three files and two subfolders, one of them hidden by its dot, listed with "."
/// and ".." first as many systems do.
void AddDocs(FakeSystem& system) {
  system.AddEntry(u"/d/Docs/", u".", EntryKind::Folder);
  system.AddEntry(u"/d/Docs/", u"..", EntryKind::Folder);
  system.AddFile(u"/d/Docs/.svn/secret.txt", "x");
  system.AddSizedFile(u"/d/Docs/a.txt", 120);
  system.AddSizedFile(u"/d/Docs/b.doc", 300);
  system.AddEntry(u"/d/Docs/Old/", u".", EntryKind::Folder);
  system.AddEntry(u"/d/Docs/Old/", u"..", EntryKind::Folder);
  system.AddSizedFile(u"/d/Docs/Old/c.txt", 50);
  system.AddSizedFile(u"/d/Docs/z.txt", 7);
}

TEST(FolderWalkTest, DepthFirstWalkAndClosingTheWindowAtEachPoint) {
  const struct {
    int point;  // pending-message point at which the user closes the window, 0 for none
    std::string tables;
    int fetches;  // each enclosing level fetches at most one more entry after the close
  } cases[] = {
      {0, "0:/d/Docs 1:Old | 1:1:a.txt:120 | 1:2:c.txt:50 | 1:1:z.txt:7 ", 12},
      {1, "0:/d/Docs ", 2},
      {6, "0:/d/Docs 1:Old | 1:1:a.txt:120 ", 9},
      {9, "0:/d/Docs 1:Old | 1:1:a.txt:120 | 1:2:c.txt:50 ", 11},
  };
  for (const auto& c : cases) {
    FakeSystem system;
    AddDocs(system);
    Walk walk({u"*.TXT"}, On(system));
    MainForm& form = *walk.run.form;
    form.AddFileType(u"*.DOC", 100);
    if (c.point > 0) walk.run.window.At(c.point, UserCloses());
    EXPECT_EQ(walk.Tables(u"/d/Docs/"), c.tables) << "closed at " << c.point;
    EXPECT_EQ(system.Fetches, c.fetches) << "closed at " << c.point;
    EXPECT_EQ(system.OpenNow, 0) << "closed at " << c.point;
    if (c.point > 0) continue;
    EXPECT_EQ(Utf8(form.anzFolders.Caption + u" " + form.anzFiles.Caption + u" " +
                   form.allSize.Caption + u" " + form.Status.Caption),
              "2 3 177 B lese Verzeichnis aus...");
    EXPECT_EQ(form.GetFolderPath(2) + u" " + form.GetFilePath(2),
              u"/d/Docs/Old/ /d/Docs/Old/c.txt");
    EXPECT_EQ(walk.run.window.Points, 10);
  }
}

TEST(FolderWalkTest, RootPathsLoseOneSeparatorAndComposeBack) {
  using Rules = FakeSystem::Rules;
  const struct {
    Rules rules;
    std::u16string root, stored, file;
  } cases[] = {
      // clang-format off
      {Rules::Posix, u"/d/Docs/", u"/d/Docs", u"/d/Docs/a.txt"},
      {Rules::Posix, u"/d/Docs", u"/d/Docs", u"/d/Docs/a.txt"},
      {Rules::Posix, u"/d/Docs//", u"/d/Docs/", u"/d/Docs//a.txt"},
      {Rules::Posix, u"/", u"", u"/a.txt"}, {Rules::Posix, u"docs", u"docs", u"docs/a.txt"},
      {Rules::Windows, u"C:\\Data\\", u"C:\\Data", u"C:\\Data\\a.txt"},
      {Rules::Windows, u"C:\\Data\\\\", u"C:\\Data\\", u"C:\\Data\\\\a.txt"},
      {Rules::Windows, u"E:\\", u"E:", u"E:\\a.txt"},
      {Rules::Windows, u"/d/Docs/", u"/d/Docs/", u"/d/Docs/\\a.txt"},
      // clang-format on
  };
  for (const auto& c : cases) {
    FakeSystem system(c.rules);
    system.AddFile(c.file, "x");
    Walk walk({u"*"}, On(system));
    EXPECT_EQ(walk.Tables(c.root), "0:" + Utf8(c.stored) + " | 1:1:a.txt:1 ") << Utf8(c.root);
    EXPECT_EQ(walk.run.form->GetFilePath(1), c.file);
  }
}

TEST(FolderWalkTest, FilesOfTwoGibibytesAndMoreAreSizedTestedAndCounted) {
  const std::int64_t gibibyte = std::int64_t{1} << 30;
  FakeSystem system;
  system.AddSizedFile(u"/d/five.dat", 5 * gibibyte);
  system.AddSizedFile(u"/d/three.dat", 3 * gibibyte);
  Walk walk({}, On(system));
  walk.run.form->AddFileType(u"*.DAT", static_cast<double>(3 * gibibyte));
  walk.run.form->AddFileType(u"*.DAT", -1);
  EXPECT_EQ(walk.Tables(u"/d"), "0:/d | 2:1:five.dat:5368709120 | 1:1:three.dat:3221225472 ");
  EXPECT_EQ(walk.run.form->allSize.Caption, u"8 GB");
}

// ---- Real folder trees (Linux: byte names, descriptors; Windows has its own tests). ----
#if !defined(_WIN32)

/// The operating system, with no log written.
MainFormOptions RealSystem() {
  return MainFormOptions{.Log = LogDestination::None};
}

TEST(FolderWalkTreeTest, DotNamesEmptyMissingAndRepeatedFoldersAndLateRules) {
  TempDir dir;
  for (const char* file : {"b.txt", "a.txt", "Z.TXT", ".hidden.txt", ".git/x.txt", "note.bin"})
    dir.Write(file, "x");
  dir.Write("sub/c.txt", "cc");
  dir.Write("sub/deep/caf\xE9.txt", "latin");  // not UTF-8
  fs::create_directory(dir.path() / "empty");
  const std::string root = dir.path().string();
  const auto descriptors = std::distance(fs::directory_iterator("/proc/self/fd"), {});
  Walk walk({u"*.txt"}, RealSystem());
  walk.Tables(U16(root + "/"));
  walk.Tables(U16(root + "/missing"));
  walk.run.form->AddFileType(u"*.BIN", -1);  // changes nothing recorded
  EXPECT_EQ(walk.Tables(U16(root), root),
            "0:@ 1:empty 1:sub 3:deep 0:@/missing 0:@ 6:empty 6:sub 8:deep "
            "| 1:1:Z.TXT:1 | 1:1:a.txt:1 | 1:1:b.txt:1 | 1:3:c.txt:2 | 1:4:caf\xE9.txt:5 "
            "| 1:6:Z.TXT:1 | 1:6:a.txt:1 | 1:6:b.txt:1 | 2:6:note.bin:1 | 1:8:c.txt:2 "
            "| 1:9:caf\xE9.txt:5 ");
  EXPECT_EQ(walk.run.form->anzFolders.Caption + u" " + walk.run.form->anzFiles.Caption, u"9 11");
  EXPECT_EQ(walk.run.form->TotalSize, 21);
  EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), descriptors);
  std::string content;
  std::getline(std::ifstream(Utf8(walk.run.form->GetFilePath(5))), content);
  EXPECT_EQ(content, "latin");
}
#endif

}  // namespace
