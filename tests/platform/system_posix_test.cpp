// The real system on real temporary folders: what the in-memory system stands in for elsewhere.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <tuple>

#include "platform/system.h"
#include "support/text_file.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using platform::ErrorKind;
using platform::MappedCheck;

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
  // While it is open, the same folder by another path (as a mount inside the tree would reach
  // it) is not opened again; a folder below it is.
  EXPECT_EQ(Real().OpenDirectory(PathIn(dir, "sub/..") + u"/", failure), nullptr);
  EXPECT_TRUE(failure.has_value());
  EXPECT_NE(Real().OpenDirectory(PathIn(dir, "sub") + u"/", failure), nullptr);
  std::string listed;
  std::optional<platform::FileIdentity> identity;  // of b.txt
  while (entries->Next()) {
    const bool file = entries->Kind() == platform::EntryKind::File;
    listed += Utf8(entries->Name()) + ":" + std::to_string(static_cast<int>(entries->Kind())) +
              (file ? ":" + std::to_string(entries->Size()) : "") + " ";
    if (entries->Name() == u"b.txt") identity = entries->Identity();
  }
  // File 1, FolderLink 2, Special 3, Folder 0.
  EXPECT_EQ(listed, "a-link.txt:1:5 b.txt:1:5 c-dirlink:2 d-broken:3 e-fifo:3 sub:0 ");
  EXPECT_EQ(identity, Real().IdentityOf(PathIn(dir, "b.txt")));
  entries.reset();
  EXPECT_NE(Real().OpenDirectory(PathIn(dir, "sub/..") + u"/", failure), nullptr);
  // Neither a missing folder nor a path holding NUL (not the part in front of it) is opened.
  for (const std::u16string& path : {PathIn(dir, "missing/"), PathIn(dir, ".") + u'\0' + u"x/"}) {
    EXPECT_EQ(Real().OpenDirectory(path, failure), nullptr);
    EXPECT_EQ(failure->Kind, ErrorKind::NotFound);
  }
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

  EXPECT_FALSE(system.AppendToFile(file, "de", std::nullopt).has_value());
  EXPECT_TRUE(system.AppendToFile(folder, "x", std::nullopt).has_value());
  // A protected file is not written, by its own name or by a link's.
  for (const std::u16string& name : {file, link})
    EXPECT_EQ(system.AppendToFile(name, "x", system.IdentityOf(file))->Kind, ErrorKind::Protected);
  std::string content;
  EXPECT_FALSE(ReadWholeFile(system, file, content).has_value());
  EXPECT_EQ(content, "abcde");
  // A FIFO in a file's place is refused at once instead of holding the run.
  EXPECT_EQ(ReadWholeFile(system, fifo, content)->Description, u"Keine normale Datei");

  EXPECT_FALSE(system.DeleteFile(file).has_value());
  const auto again = system.DeleteFile(file);
  EXPECT_TRUE(again && again->Kind == ErrorKind::NotFound &&
              again->Description == u"Datei nicht gefunden");
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
  ASSERT_FALSE(Real().AppendToFile(log, "START\r\n", std::nullopt).has_value());
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  // Past the limit a write fails with EFBIG instead of raising SIGXFSZ.
  void (*const handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{100, before.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  const auto cut = Real().AppendToFile(log, std::string(10'000, 'x') + "\r\n", std::nullopt);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, handler);
  EXPECT_TRUE(cut.has_value());
  EXPECT_FALSE(Real().AppendToFile(log, "EXIT\r\n", std::nullopt).has_value());
  EXPECT_FALSE(ReadWholeFile(Real(), log, content).has_value());
  EXPECT_EQ(content, "START\r\nEXIT\r\n");
}

/// Reads every byte of bytes, as the search does, and returns them.
std::string Touch(std::string_view bytes) {
  std::string copy(bytes.size(), ' ');
  const volatile char* from = bytes.data();
  for (std::size_t i = 0; i < bytes.size(); ++i)
    copy[i] = from[i];
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
  EXPECT_EQ(whole->Intact(failure, MappedCheck::Length), content.size());
  fs::resize_file(native, page + 50);
  EXPECT_EQ(Touch(tail->Bytes()), content.substr(page, 50) + std::string(3 * page - 50, '\0'));
  EXPECT_EQ(tail->Intact(failure, MappedCheck::Faults), 50u);

  // Cut within the last page mapped: no fault, the rest of the page reads as zeros, and only
  // the file's length tells.
  fs::resize_file(native, page - 100);
  Touch(first->Bytes());
  EXPECT_EQ(first->Intact(failure, MappedCheck::Faults), page);
  EXPECT_EQ(first->Intact(failure, MappedCheck::Length), page - 100);
  EXPECT_FALSE(failure.has_value());

  // The file grew back over the lost page before anyone looked: the page could not be read.
  fs::resize_file(native, page);
  const auto lost = file->Map(0, page);
  ASSERT_NE(lost, nullptr);
  fs::resize_file(native, 0);
  Touch(lost->Bytes());
  fs::resize_file(native, 2 * page);
  EXPECT_EQ(lost->Intact(failure, MappedCheck::Faults), 0u);
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
