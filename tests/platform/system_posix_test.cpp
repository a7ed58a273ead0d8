// The real system on real temporary folders: what the in-memory system stands in for elsewhere.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <tuple>

#include "platform/system.h"
#include "support/text_file.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using platform::ErrorKind;

platform::System& Real() {
  return platform::OperatingSystem();
}

/// The path of an entry in dir, as the system takes it.
std::u16string PathIn(const TempDir& dir, const std::string& relative) {
  return U16((dir.path() / relative).string());
}

TEST(SystemPosixTest, EntriesComeSortedWithTheirKindSizeAndIdentityAndNoFolderIsOpenedTwice) {
  TempDir dir;
  dir.Write("b.txt", "12345");
  dir.Write("sub/s.txt", "s");
  fs::create_symlink("b.txt", dir.path() / "a-link.txt");
  fs::create_symlink("sub", dir.path() / "c-dirlink");
  fs::create_symlink("none", dir.path() / "d-broken");
  ASSERT_EQ(::mkfifo((dir.path() / "e-fifo").c_str(), 0644), 0);
  std::optional<platform::SystemError> failure;
  auto entries = Real().OpenDirectory(PathIn(dir, ".") + u"/", failure);
  ASSERT_NE(entries, nullptr);
  // While it is open, the folder is not opened again by another path (as a mount inside it).
  EXPECT_EQ(Real().OpenDirectory(PathIn(dir, "sub/..") + u"/", failure), nullptr);
  EXPECT_TRUE(failure.has_value());
  std::string listed;
  std::optional<platform::FileIdentity> identity;  // of b.txt
  while (entries->Next()) {
    const bool file = entries->Kind() == platform::EntryKind::File;
    // A file's size is at hand only where telling what it is took a query (the link).
    const std::optional<std::int64_t> atHand = entries->SizeAtHand();
    listed += Utf8(entries->Name()) + ":" + std::to_string(static_cast<int>(entries->Kind())) +
              (file ? ":" + std::to_string(entries->Size()) : "") +
              (atHand ? "@" + std::to_string(*atHand) : "") + " ";
    if (entries->Name() == u"b.txt") identity = entries->Identity();
  }
  // File 1, FolderLink 2, Special 3, Folder 0.
  EXPECT_EQ(listed, "a-link.txt:1:5@5 b.txt:1:5 c-dirlink:2 d-broken:3 e-fifo:3 sub:0 ");
  EXPECT_EQ(identity, Real().IdentityOf(PathIn(dir, "b.txt")));
  entries.reset();
  EXPECT_NE(Real().OpenDirectory(PathIn(dir, "sub/..") + u"/", failure), nullptr);
}

TEST(SystemPosixTest, FilesAreRecognisedReadAtAnyOffsetAppendedWholeOrNotAtAllAndDeleted) {
  TempDir dir;
  platform::System& system = Real();
  const std::u16string folder = U16(dir.path().string()),
                       file = U16(dir.Write("a.txt", "abc").string());
  const std::u16string fifo = PathIn(dir, "fifo"), link = PathIn(dir, "link");
  ASSERT_EQ(::mkfifo(Utf8(fifo).c_str(), 0600), 0);
  fs::create_symlink(Utf8(file), Utf8(link));
  EXPECT_EQ(std::tuple(system.IsRegularFile(file), system.IsRegularFile(folder),
                       system.IsRegularFile(fifo), system.IsHidden(folder + u"/.cfg"),
                       system.IsHidden(file)),
            std::tuple(true, false, false, true, false));

  EXPECT_TRUE(system.AppendToFile(folder, "x", std::nullopt).has_value());
  // A protected file is not written, by its own name or by a link's.
  for (const std::u16string& name : {file, link})
    EXPECT_EQ(system.AppendToFile(name, "x", system.IdentityOf(file))->Kind, ErrorKind::Protected);
  std::string content;
  EXPECT_FALSE(ReadWholeFile(system, file, content).has_value());
  EXPECT_EQ(content, "abc");
  // A FIFO in a file's place is refused at once instead of holding the run.
  EXPECT_EQ(ReadWholeFile(system, fifo, content)->Description, u"Keine normale Datei");

  EXPECT_FALSE(system.DeleteFile(file).has_value());
  EXPECT_FALSE(system.IdentityOf(file).has_value());

  // An open file reads in order and at any offset independently.
  std::optional<platform::SystemError> failure;
  const auto open = system.OpenForReading(U16(dir.Write("b.txt", "0123456789").string()), failure);
  ASSERT_NE(open, nullptr);
  char buffer[16] = {};
  std::size_t count = 0;
  // The offset (-1: the next bytes in order), the bytes asked for, and the bytes read.
  const std::tuple<std::int64_t, std::size_t, std::string> steps[] = {
      {-1, 3, "012"}, {7, 16, "789"}, {-1, 2, "34"},     {10, 4, ""},
      {42, 4, ""},    {0, 1, "0"},    {-1, 16, "56789"}, {-1, 16, ""}};
  for (const auto& [offset, size, read] : steps) {
    const auto error =
        offset < 0 ? open->Read(buffer, size, count) : open->ReadAt(offset, buffer, size, count);
    EXPECT_TRUE(!error && std::string(buffer, count) == read) << offset;
  }
  EXPECT_TRUE(open->ReadAt(-1, buffer, 1, count).has_value());

  // A log line that meets the file size limit (as one that meets a full disk) is cut back: the
  // write stopped short leaves no part of the line behind, and the next line follows whole.
  const std::u16string log = PathIn(dir, "a.log");
  ASSERT_FALSE(system.AppendToFile(log, "START\r\n", std::nullopt).has_value());
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  // Past the limit a write fails with EFBIG instead of raising SIGXFSZ.
  void (*const handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{100, before.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  const auto cut = system.AppendToFile(log, std::string(10'000, 'x') + "\r\n", std::nullopt);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, handler);
  EXPECT_TRUE(cut.has_value());
  EXPECT_FALSE(system.AppendToFile(log, "EXIT\r\n", std::nullopt).has_value());
  EXPECT_FALSE(ReadWholeFile(system, log, content).has_value());
  EXPECT_EQ(content, "START\r\nEXIT\r\n");
}

// Deleting a hit's file reaches it from the walk's root without following a link, and deletes
// nothing when anything else now stands where the walk found it.
TEST(SystemPosixTest, OnlyTheVeryFileTheWalkFoundIsDeleted) {
  const std::string replaced = Utf8(platform::FileReplacedError().Description);
  // What is renamed to where after the walk found tree/sub/a.txt, whether a link to it then
  // takes its place (so that following the link reaches the very file found), and the error.
  const std::tuple<std::string, std::string, bool, std::string> cases[] = {
      {"", "", false, ""},
      {"tree/sub", "moved", true, replaced},  // a folder on the way
      {"tree/sub/a.txt", "moved.txt", true, replaced},
      {"tree/new.txt", "tree/sub/a.txt", false, replaced},  // another file, so another identity
      {"tree/sub/a.txt", "gone.txt", false, "Datei nicht gefunden"},
  };
  for (const auto& [from, to, link, error] : cases) {
    SCOPED_TRACE(from + " to " + to);
    TempDir dir;
    const fs::path file = dir.Write("tree/sub/a.txt", "x");
    dir.Write("tree/new.txt", "y");
    const platform::FoundFile found{
        PathIn(dir, "tree"), {u"sub", u"a.txt"}, Real().IdentityOf(U16(file.string()))};
    if (!from.empty()) fs::rename(dir.path() / from, dir.path() / to);
    if (link) fs::create_symlink(dir.path() / to, dir.path() / from);
    const auto entries = [&dir] {  // all that is in dir, links not followed
      return std::set<fs::path>(fs::recursive_directory_iterator(dir.path()), {});
    };
    std::set<fs::path> expected = entries();
    if (error.empty()) expected.erase(file);
    const auto failure = Real().DeleteFoundFile(found);
    EXPECT_EQ(failure ? Utf8(failure->Description) : "", error);
    EXPECT_EQ(entries(), expected);
  }
}

// Reading reaches the very file the walk found as well: a folder on the way that became a link,
// or another file in its place, is not read; a link the walk found is followed. The opener keeps
// the last folder open, so one opener reads every case in turn.
TEST(SystemPosixTest, OnlyTheVeryFileTheWalkFoundIsRead) {
  const std::string changed = Utf8(platform::FileChangedSinceWalkError().Description);
  // What is renamed to where after the walk, whether a link then takes its place, the name the
  // walk found (a.txt, or the link l.txt to new.txt), what reading it gives and the size listed
  // for it now (-1: none; a folder on the way that became a link is not followed).
  const std::tuple<std::string, std::string, bool, std::u16string, std::string, int> cases[] = {
      {"", "", false, u"a.txt", "x", 1},
      {"", "", false, u"l.txt", "yy", 2},
      {"tree/sub", "moved", true, u"a.txt", changed, -1},
      {"tree/sub/a.txt", "moved.txt", true, u"a.txt", changed, 1},
      {"tree/new.txt", "tree/sub/a.txt", false, u"a.txt", changed, 2},
      {"tree/sub/a.txt", "gone.txt", false, u"a.txt", "Datei nicht gefunden", -1},
  };
  const auto opener = Real().OpenFoundFiles();
  for (const auto& [from, to, link, name, expected, listedSize] : cases) {
    SCOPED_TRACE(from + " to " + to);
    TempDir dir;
    dir.Write("tree/sub/a.txt", "x");
    dir.Write("tree/new.txt", "yy");
    fs::create_symlink("../new.txt", dir.path() / "tree/sub/l.txt");
    struct stat entry {};
    ASSERT_EQ(::lstat((dir.path() / "tree/sub" / Utf8(name)).c_str(), &entry), 0);
    const platform::FoundFile found{
        PathIn(dir, "tree"),
        {u"sub", name},
        platform::FileIdentity{static_cast<std::uint64_t>(entry.st_dev),
                               static_cast<std::uint64_t>(entry.st_ino)}};
    if (!from.empty()) fs::rename(dir.path() / from, dir.path() / to);
    if (link) fs::create_symlink(dir.path() / to, dir.path() / from);
    std::optional<platform::SystemError> failure;
    const auto file = opener->Open(found, PathIn(dir, "tree/sub/" + Utf8(name)), failure);
    std::string read(4, '\0');
    std::size_t count = 0;
    if (file != nullptr) {
      EXPECT_FALSE(file->Read(read.data(), read.size(), count));
    }
    read.resize(count);
    EXPECT_EQ(failure ? Utf8(failure->Description) : read, expected);
    EXPECT_EQ(file == nullptr, failure.has_value());
    const std::optional<std::int64_t> size =
        opener->ListedSize(found, PathIn(dir, "tree/sub/" + Utf8(name)));
    EXPECT_EQ(size.value_or(-1), listedSize);
  }
}

// One opener reads files folder after folder, back and forth between siblings, cousins and a
// tree deeper than the folders it keeps open: each time the very file asked for.
TEST(SystemPosixTest, OneOpenerReadsFilesAllOverTheTree) {
  TempDir dir;
  std::string deep = "a";
  for (int level = 0; level < 80; ++level)
    deep += "/l" + std::to_string(level);
  const std::vector<std::string> files = {"a/b/c/f",   "a/b/d/f", "a/b/c/f",   "a/e/f",
                                          deep + "/f", "a/b/d/f", deep + "/f", "a/f"};
  for (const std::string& file : files)
    dir.Write("tree/" + file, file);
  const auto opener = Real().OpenFoundFiles();
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    platform::FoundFile found{PathIn(dir, "tree"), {}, std::nullopt};
    for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1) {
      to = file.find('/', from);
      found.Names.push_back(U16(file.substr(from, to == std::string::npos ? to : to - from)));
    }
    std::optional<platform::SystemError> failure;
    const auto opened = opener->Open(found, {}, failure);
    ASSERT_NE(opened, nullptr);
    std::string read(file.size() + 1, '\0');
    std::size_t count = 0;
    EXPECT_FALSE(opened->Read(read.data(), read.size(), count));
    EXPECT_EQ(read.substr(0, count), file);
  }
}

/// Everything the file opened as found gives (the opener's next one opened ahead, when next),
/// or why it could not be opened.
std::string ReadFound(platform::FoundFileOpener& opener, const platform::FoundFile& found,
                      bool next = false) {
  std::optional<platform::SystemError> failure;
  const auto file = next ? opener.OpenNext(failure) : opener.Open(found, {}, failure);
  if (file == nullptr) return failure ? Utf8(failure->Description) : "no failure";
  std::string all;
  char block[4096];
  std::size_t count = 0;
  while (!file->Read(block, sizeof block, count) && count > 0)
    all.append(block, count);
  return all + " (" + std::to_string(file->Length()) + ")";
}

// Files opened ahead, together, read as when each is opened on its own, whatever became of
// them: links followed, a replaced file refused, a gone one missed, a large one read in full.
// A file opened alone in between changes nothing.
TEST(SystemPosixTest, FilesOpenedAheadReadAsWhenOpenedOneByOne) {
  TempDir dir;
  const std::string large(300000, 'L');
  // The name, what the walk found there, and what reading it gives after the changes below.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a/small.txt", "small (5)"},
      {"a/large.txt", large + " (300000)"},
      {"a/empty.txt", " (0)"},
      {"b/other.txt", "other (5)"},
      {"b/link.txt", "target (6)"},
      {"b/replaced.txt", Utf8(platform::FileChangedSinceWalkError().Description)},
      {"b/gone.txt", "Datei nicht gefunden"},
      {"c/last.txt", "last (4)"},
  };
  dir.Write("tree/a/small.txt", "small");
  dir.Write("tree/a/large.txt", large);
  dir.Write("tree/a/empty.txt", "");
  dir.Write("tree/b/other.txt", "other");
  dir.Write("tree/b/target.txt", "target");
  fs::create_symlink("target.txt", dir.path() / "tree/b/link.txt");
  dir.Write("tree/b/replaced.txt", "old");
  dir.Write("tree/b/gone.txt", "gone");
  dir.Write("tree/c/last.txt", "last");
  std::vector<platform::FoundFile> found;
  for (const auto& [name, expected] : cases) {
    struct stat entry {};
    ASSERT_EQ(::lstat((dir.path() / "tree" / name).c_str(), &entry), 0);
    found.push_back(
        platform::FoundFile{PathIn(dir, "tree"),
                            {U16(name.substr(0, 1)), U16(name.substr(2))},
                            platform::FileIdentity{static_cast<std::uint64_t>(entry.st_dev),
                                                   static_cast<std::uint64_t>(entry.st_ino)}});
  }
  dir.Write("tree/b/new.txt", "new");
  fs::rename(dir.path() / "tree/b/new.txt", dir.path() / "tree/b/replaced.txt");
  fs::remove(dir.path() / "tree/b/gone.txt");

  const auto opener = Real().OpenFoundFiles();
  // Where the system cannot open them together, each is opened alone.
  const bool taken = opener->OpenAhead(found, std::size_t{128} << 10);
  for (std::size_t index = 0; index < cases.size(); ++index) {
    SCOPED_TRACE(cases[index].first);
    EXPECT_EQ(ReadFound(*opener, found[index], taken), cases[index].second);
  }
  // Another file opened alone meanwhile leaves the next one opened ahead as it was.
  const bool again = opener->OpenAhead({found[0], found[3]}, std::size_t{128} << 10);
  EXPECT_EQ(ReadFound(*opener, found[3]), "other (5)");
  EXPECT_EQ(ReadFound(*opener, found[0], again), "small (5)");
}

// The editor starts detached, reading and writing nothing, with the path as its one argument; a
// notepad first in the PATH that may not be executed is passed over.
TEST(SystemPosixTest, TheEditorIsNotepadElseTheOpenerWithThePathAsOneArgument) {
  // The programs in the PATH folders "one" and "two", the path, and the program started (none: no
  // editor found) with the argument it gets.
  const std::tuple<std::vector<std::string>, std::u16string, std::string, std::string> cases[] = {
      {{"one/xdg-open", "two/notepad"}, u"/a b \"c\" ü", "two/notepad", "/a b \"c\" ü"},
      {{"two/xdg-open"}, u"-n", "two/xdg-open", "./-n"},
      {{}, u"/a.txt", "", ""},
  };
  // Reports its path, its arguments and whether its standard streams are the null device into a
  // FIFO that nobody reads until the editor was started: a launcher waiting for it would hang.
  const std::string script =
      "#!/bin/sh\nq=yes; for d in 0 1 2; do [ /proc/$$/fd/$d -ef /dev/null ] || q=no; done\n"
      "printf '%s\\n' \"$0\" $# \"$@\" $q > \"${0%/*}/../out\"\n";
  const std::string originalPath = std::getenv("PATH");
  for (const auto& [programs, path, started, argument] : cases) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.path() / "out").c_str(), 0600), 0);
    ::chmod(dir.Write("one/notepad", script).c_str(), 0600);
    for (const std::string& program : programs)
      ::chmod(dir.Write(program, script).c_str(), 0700);
    ::setenv("PATH", (dir.path().string() + "/one:" + dir.path().string() + "/two").c_str(), 1);
    ::alarm(30);
    const auto failure = Real().StartTextEditor(path);
    ::setenv("PATH", originalPath.c_str(), 1);
    EXPECT_EQ(failure.has_value() ? failure->Kind : ErrorKind::Other,
              started.empty() ? ErrorKind::NotFound : ErrorKind::Other);
    EXPECT_TRUE(::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD) << "a child left behind";
    if (!started.empty()) {
      EXPECT_EQ((std::stringstream() << std::ifstream(dir.path() / "out").rdbuf()).str(),
                (dir.path() / started).string() + "\n1\n" + argument + "\nyes\n");
    }
    ::alarm(0);
  }
}

/// Reads every byte of bytes, as the search does, and returns them.
std::string Touch(std::string_view bytes) {
  std::string copy;
  for (const volatile char& byte : bytes)
    copy += byte;
  return copy;
}
// Reading a mapped page the file lost meanwhile raises SIGBUS, which would end the program: the
// lost part must read as zeros instead, and the loss be told apart from a part that is still
// there but could not be read.
TEST(SystemPosixTest, AMappedFileCutShortReadsAsZerosAndSaysWhereItEnds) {
  TempDir dir;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  std::string content(4 * page + 100, ' ');
  for (std::size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<char>('a' + i % 26);
  const fs::path native = dir.Write("big.txt", content);
  std::optional<platform::SystemError> failure;
  const auto file = Real().OpenForReading(U16(native.string()), failure);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Map(1, 10), nullptr);                 // not at a page
  EXPECT_EQ(file->Map(page, content.size()), nullptr);  // past the end
  const auto whole = file->Map(0, content.size()), tail = file->Map(page, 3 * page),
             first = file->Map(0, page);
  ASSERT_TRUE(whole && tail && first);
  EXPECT_EQ(Touch(whole->Bytes()), content);
  EXPECT_EQ(whole->Intact(failure, platform::MappedCheck::Length), content.size());
  fs::resize_file(native, page + 50);
  EXPECT_EQ(Touch(tail->Bytes()), content.substr(page, 50) + std::string(3 * page - 50, '\0'));
  EXPECT_EQ(tail->Intact(failure, platform::MappedCheck::Faults), 50u);

  // Cut within the last page mapped: no fault, the rest of the page reads as zeros, and only
  // the file's length tells.
  fs::resize_file(native, page - 100);
  Touch(first->Bytes());
  EXPECT_EQ(first->Intact(failure, platform::MappedCheck::Faults), page);
  EXPECT_EQ(first->Intact(failure, platform::MappedCheck::Length), page - 100);
  EXPECT_FALSE(failure.has_value());

  // The file grew back over the lost page before anyone looked: the page could not be read.
  fs::resize_file(native, page);
  const auto lost = file->Map(0, page);
  ASSERT_NE(lost, nullptr);
  fs::resize_file(native, 0);
  Touch(lost->Bytes());
  fs::resize_file(native, 2 * page);
  EXPECT_EQ(lost->Intact(failure, platform::MappedCheck::Faults), 0u);
  EXPECT_TRUE(failure.has_value());

  // A fault in memory mapped elsewhere in the program, or a SIGBUS sent to it, still ends it.
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // the program may have threads by now
  EXPECT_DEATH(::raise(SIGBUS), "");
  fs::resize_file(native, 0);
  EXPECT_DEATH(Touch({static_cast<const char*>(::mmap(nullptr, page, PROT_READ, MAP_SHARED,
                                                      ::open(native.c_str(), O_RDONLY), 0)),
                      1}),
               "");
}

}  // namespace

namespace {

// The user's folders are made down to the last, for the user alone; a file in the way fails.
TEST(SystemPosixTest, FoldersAreMadeDownToTheLastForTheUserAlone) {
  TempDir dir;
  EXPECT_FALSE(Real().CreateFolders(PathIn(dir, "a/b") + u"/"));
  EXPECT_FALSE(Real().CreateFolders(PathIn(dir, "a/b") + u"/"));
  EXPECT_EQ(fs::status(dir.path() / "a" / "b").permissions(), fs::perms::owner_all);
  dir.Write("f", "");
  EXPECT_TRUE(Real().CreateFolders(PathIn(dir, "f/g") + u"/"));
}

}  // namespace
