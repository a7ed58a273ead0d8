#include "collect/folder_walker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/code_page.h"
#include "testing/test_program.h"

namespace {

// A root loses one trailing separator ("/" is kept as "") and gets it back when composed.
TEST(FileCatalogTest, PathsAreComposedFromTheFolderChain) {
  // clang-format off
  const std::tuple<char16_t, std::u16string, std::u16string> roots[] = {
      {u'/', u"/d/Docs/", u"/d/Docs/"}, {u'/', u"/d/Docs", u"/d/Docs/"}, {u'/', u"/", u"/"},
      {u'/', u"/d/Docs//", u"/d/Docs//"}, {u'\\', u"E:\\", u"E:\\"},
      {u'\\', u"/d/Docs/", u"/d/Docs/\\"}};  // clang-format on
  for (const auto& [separator, root, composed] : roots) {
    FileCatalog catalog(separator);
    const FolderId top = catalog.AddRoot(root);
    const FolderId old = catalog.AddFolder(top, u"Old");
    const FileId file = catalog.AddFile(old, u"c.txt", 5368709120, platform::FileIdentity{7, 9});
    const FileId other = catalog.AddFile(top, u"a.txt", 3221225472, std::nullopt);
    EXPECT_EQ(catalog.FilePath(file) + u" " + catalog.FilePath(other),
              composed + u"Old" + separator + u"c.txt " + composed + u"a.txt");
    EXPECT_EQ(catalog.TotalSize(), 8589934592.0);
    // The walk's root as it opened it, the names below it and the identity it listed.
    const platform::FoundFile found = catalog.Locate(file);
    EXPECT_EQ(found.Root + u" " + found.Names[0] + u" " + found.Names[1], composed + u" Old c.txt");
    EXPECT_EQ(found.Identity, (platform::FileIdentity{7, 9}));
  }
  // A name longer than the storage's first parts is kept whole all the same.
  FileCatalog catalog(u'/');
  const std::u16string longRoot = u"/" + std::u16string(150000, u'\u0159');
  const FileId file = catalog.AddFile(catalog.AddRoot(longRoot), u"x", 1, std::nullopt);
  EXPECT_EQ(catalog.FilePath(file), longRoot + u"/x");
}

/// File number file's name; now and then a long one, which may not fit where the last ended.
std::u16string Name(std::int32_t file) {
  return u"f" + U16(std::to_string(file)) +
         (file % 97 == 0 ? std::u16string(1000 + file % 5000, u'\u00fc') : u"") + u".txt";
}

// One thread adds folders and files while others read the files added before: every path read
// is whole and right, however the catalog's storage grows meanwhile.
TEST(FileCatalogTest, FilesAddedBeforeReadRightWhileTheCatalogGrows) {
  FileCatalog catalog(u'/');
  std::atomic<std::int32_t> added{0};
  constexpr std::int32_t kFiles = 10000;
  std::thread walker([&] {
    const FolderId root = catalog.AddRoot(u"/r");
    FolderId folder = root;
    for (std::int32_t file = 0; file < kFiles; ++file) {
      if (file % 50 == 0) folder = catalog.AddFolder(root, u"d" + U16(std::to_string(file / 50)));
      catalog.AddFile(folder, Name(file), file, std::nullopt);
      added.store(file + 1, std::memory_order_release);
    }
  });
  std::vector<std::thread> readers;
  std::atomic<int> wrong{0};
  for (int reader = 0; reader < 2; ++reader) {
    readers.emplace_back([&] {
      for (std::int32_t read = 0; read < kFiles;) {
        const std::int32_t known = added.load(std::memory_order_acquire);
        if (read == known) std::this_thread::yield();
        for (; read < known; ++read) {
          const FileId file = IdOf<FileId>(static_cast<std::size_t>(read));
          const std::u16string expected =
              u"/r/d" + U16(std::to_string(read / 50)) + u"/" + Name(read);
          if (catalog.FilePath(file) != expected || catalog.FileSize(file) != read ||
              catalog.Locate(file).Names.size() != 2) {
            ++wrong;
          }
        }
      }
    });
  }
  walker.join();
  for (std::thread& reader : readers)
    reader.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(catalog.FileCount(), static_cast<std::size_t>(kFiles));
}

constexpr const char16_t* kSkipped[] = {u"hidden", u"link", u"special", u"other", u"too large"};

/// Keeps what the walk tells as one text; a checkpoint fails right after stopAfter was told.
struct WalkRecorder : WalkListener {
  WalkRecorder(const FileCatalog& files, std::string stop) : catalog(files), stopAfter(stop) {}
  void FolderEntered(FolderId folder) override { Add(u"enter " + catalog.FolderPath(folder)); }
  void FolderNotListed(FolderId folder, const platform::SystemError& failure) override {
    Add(u"unlisted " + catalog.FolderPath(folder) + u" " + failure.Description);
  }
  void RootListed(FolderId folder) override { Add(u"root " + catalog.FolderPath(folder)); }
  void FileKept(FileId file) override { Add(u"kept " + catalog.FilePath(file)); }
  void EntrySkipped(SkippedEntry entry) override { Add(kSkipped[static_cast<int>(entry)]); }
  bool Checkpoint() override { return stopAfter.empty() || !events.ends_with(stopAfter + ", "); }
  void Add(const std::u16string& event) { events += Utf8(event) + ", "; }

  const FileCatalog& catalog;
  std::string stopAfter, events;
};

TEST(FolderWalkerTest, WalksDepthFirstInListingOrderAndUnwindsWhenACheckpointFails) {
  FakeSystem system;
  // "." and ".." first, as many systems list them, a folder link and a special file; then a
  // hidden folder, a file too large, a folder that cannot be listed and a file no rule accepts.
  system.AddEntry(u"/d/Docs/", u".", platform::EntryKind::Folder);
  system.AddEntry(u"/d/Docs/", u"..", platform::EntryKind::Folder);
  system.AddEntry(u"/d/Docs/", u"link", platform::EntryKind::FolderLink);
  system.AddEntry(u"/d/Docs/", u"fifo", platform::EntryKind::Special);
  for (const std::u16string file :
       {u".svn/a.txt", u"a.txt", u"b.doc", u"Old/c.txt", u"Locked/d.txt", u"z.png", u"z.txt"})
    system.AddSizedFile(u"/d/Docs/" + file, 120);
  system.Fail(FakeSystem::Operation::List, u"/d/Docs/Locked/");
  FileTypeRules rules(platform::Windows1252CodePage());
  rules.Add(u"*.TXT", -1);
  rules.Add(u"*.DOC", 100);
  const std::string all =
      "enter /d/Docs/, root /d/Docs/, link, special, hidden, kept /d/Docs/a.txt, too large, "
      "enter /d/Docs/Old/, kept /d/Docs/Old/c.txt, enter /d/Docs/Locked/, unlisted "
      "/d/Docs/Locked/ Zugriff verweigert, other, kept /d/Docs/z.txt, ";
  // Stopped deep down, the enclosing folders list nothing more.
  for (const std::string stopAfter : {"", "kept /d/Docs/a.txt", "kept /d/Docs/Old/c.txt"}) {
    FileCatalog catalog(u'/');
    WalkRecorder recorder(catalog, stopAfter);
    EXPECT_EQ(FolderWalker(system, rules, catalog, recorder).Walk(u"/d/Docs/"), stopAfter.empty());
    EXPECT_EQ(recorder.events,
              stopAfter.empty() ? all : all.substr(0, all.find(stopAfter) + stopAfter.size() + 2));
    EXPECT_EQ(system.OpenNow, 0) << stopAfter;
  }
}

}  // namespace
