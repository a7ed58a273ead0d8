// The real system on real temporary folders: what the in-memory system stands in for elsewhere.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/system.h"
#include "search/read_ahead.h"
#include "support/text_file.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using platform::EntryKind;
using platform::ErrorKind;
using platform::MappedCheck;

platform::System& Real() {
  return platform::OperatingSystem();
}

TEST(SystemPosixTest, AFolderOpenFurtherUpIsNotOpenedAgain) {
  TempDir dir;
  dir.Write("sub/file", "");
  const auto folder = [&dir](const char* relative) {
    return U16((dir.path() / relative).string()) + u"/";
  };
  std::optional<platform::SystemError> failure;
  {
    const auto outer = Real().OpenDirectory(folder("."), failure);
    ASSERT_NE(outer, nullptr);
    // The same folder by another path, as a mount inside the tree would reach it.
    EXPECT_EQ(Real().OpenDirectory(folder("sub/.."), failure), nullptr);
    EXPECT_TRUE(failure.has_value());
    EXPECT_NE(Real().OpenDirectory(folder("sub"), failure), nullptr);
  }
  EXPECT_NE(Real().OpenDirectory(folder("."), failure), nullptr);
  EXPECT_EQ(Real().OpenDirectory(folder("missing"), failure), nullptr);
  EXPECT_EQ(failure->Kind, ErrorKind::NotFound);
  // A path holding NUL names no folder, not the part in front of it.
  EXPECT_EQ(Real().OpenDirectory(U16(dir.path().string()) + u'\0' + u"x/", failure), nullptr);
  EXPECT_EQ(failure->Kind, ErrorKind::NotFound);
}

TEST(SystemPosixTest, EntriesComeSortedWithTheirKindSizeAndIdentity) {
  TempDir dir;
  dir.Write("b.txt", "12345");
  dir.Write("sub/s.txt", "s");
  fs::create_symlink("b.txt", dir.path() / "a-link.txt");
  fs::create_symlink("sub", dir.path() / "c-dirlink");
  fs::create_symlink("none", dir.path() / "d-broken");
  ASSERT_EQ(::mkfifo((dir.path() / "e-fifo").c_str(), 0644), 0);
  std::optional<platform::SystemError> failure;
  const auto entries = Real().OpenDirectory(U16(dir.path().string()) + u"/", failure);
  ASSERT_NE(entries, nullptr);
  std::string listed;
  while (entries->Next()) {
    listed += Utf8(entries->Name()) + ":" + std::to_string(static_cast<int>(entries->Kind()));
    if (entries->Kind() == EntryKind::File) listed += ":" + std::to_string(entries->Size());
    listed += " ";
    if (entries->Name() == u"b.txt") {
      EXPECT_EQ(entries->Identity(), Real().IdentityOf(U16((dir.path() / "b.txt").string())));
    }
  }
  // File 1, FolderLink 2, Special 3, Folder 0.
  EXPECT_EQ(listed, "a-link.txt:1:5 b.txt:1:5 c-dirlink:2 d-broken:3 e-fifo:3 sub:0 ");
}

TEST(SystemPosixTest, FilesAreReadAppendedDeletedAndRecognised) {
  TempDir dir;
  const std::u16string file = U16(dir.Write("a.txt", "abc").string());
  const std::u16string fifo = U16((dir.path() / "fifo").string());
  ASSERT_EQ(::mkfifo(Utf8(fifo).c_str(), 0600), 0);
  platform::System& system = Real();
  EXPECT_TRUE(system.IsRegularFile(file));
  EXPECT_FALSE(system.IsRegularFile(U16(dir.path().string())));
  EXPECT_FALSE(system.IsRegularFile(fifo));
  EXPECT_TRUE(system.IsHidden(U16(dir.path().string()) + u"/.cfg"));
  EXPECT_FALSE(system.IsHidden(file));

  EXPECT_FALSE(system.AppendToFile(file, "de", std::nullopt).has_value());
  std::string content;
  EXPECT_FALSE(ReadWholeFile(system, file, content).has_value());
  EXPECT_EQ(content, "abcde");
  // A FIFO in a file's place is refused at once instead of holding the run.
  EXPECT_EQ(ReadWholeFile(system, fifo, content)->Description, u"Keine normale Datei");
  EXPECT_TRUE(system.AppendToFile(U16(dir.path().string()), "x", std::nullopt).has_value());
  // A protected file is not written, by its own name or by a link's.
  const std::u16string link = U16((dir.path() / "link").string());
  fs::create_symlink(Utf8(file), Utf8(link));
  for (const std::u16string& name : {file, link})
    EXPECT_EQ(system.AppendToFile(name, "x", system.IdentityOf(file))->Kind, ErrorKind::Protected);
  EXPECT_FALSE(ReadWholeFile(system, file, content).has_value());
  EXPECT_EQ(content, "abcde");

  EXPECT_FALSE(system.DeleteFile(file).has_value());
  const auto again = system.DeleteFile(file);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->Kind, ErrorKind::NotFound);
  EXPECT_EQ(again->Description, u"Datei nicht gefunden");
  EXPECT_FALSE(system.IdentityOf(file).has_value());
}

TEST(SystemPosixTest, AnOpenFileReadsInOrderAndAtAnyOffsetIndependently) {
  TempDir dir;
  const std::u16string path = U16(dir.Write("a.txt", "0123456789").string());
  std::optional<platform::SystemError> failure;
  const auto file = Real().OpenForReading(path, failure);
  ASSERT_NE(file, nullptr);
  char buffer[16] = {};
  std::size_t count = 0;
  const struct {
    std::int64_t offset;  // -1: the next bytes in order
    std::size_t size;
    std::string read;
  } steps[] = {{-1, 3, "012"}, {7, 16, "789"}, {-1, 2, "34"},     {10, 4, ""},
               {42, 4, ""},    {0, 1, "0"},    {-1, 16, "56789"}, {-1, 16, ""}};
  for (const auto& step : steps) {
    const auto error = step.offset < 0 ? file->Read(buffer, step.size, count)
                                       : file->ReadAt(step.offset, buffer, step.size, count);
    EXPECT_FALSE(error.has_value());
    EXPECT_EQ(std::string(buffer, count), step.read) << step.offset;
  }
  EXPECT_TRUE(file->ReadAt(-1, buffer, 1, count).has_value());
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
  const long page = ::sysconf(_SC_PAGESIZE);
  const auto size = static_cast<std::size_t>(4 * page + 100);
  std::string content(size, ' ');
  for (std::size_t i = 0; i < size; ++i)
    content[i] = static_cast<char>('a' + i % 26);
  const fs::path native = dir.Write("big.txt", content);
  std::optional<platform::SystemError> failure;
  const auto file = Real().OpenForReading(U16(native.string()), failure);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Map(1, 10), nullptr);       // not at a page
  EXPECT_EQ(file->Map(page, size), nullptr);  // past the end
  const auto whole = file->Map(0, size);
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(Touch(whole->Bytes()), content);
  EXPECT_EQ(whole->Intact(failure, MappedCheck::Length), size);
  EXPECT_FALSE(failure.has_value());

  const auto tail = file->Map(page, 3 * static_cast<std::size_t>(page));
  ASSERT_NE(tail, nullptr);
  fs::resize_file(native, static_cast<std::uintmax_t>(page + 50));
  const std::string read = Touch(tail->Bytes());  // must not end the program
  EXPECT_EQ(read.substr(0, 50), content.substr(static_cast<std::size_t>(page), 50));
  EXPECT_EQ(read.find_first_not_of('\0', 50), std::string::npos);
  EXPECT_EQ(tail->Intact(failure, MappedCheck::Faults), 50u);
  EXPECT_FALSE(failure.has_value());

  // Cut within the last page mapped: no fault, the rest of the page reads as zeros, and only
  // the file's length tells.
  const auto first = file->Map(0, static_cast<std::size_t>(page));
  ASSERT_NE(first, nullptr);
  fs::resize_file(native, static_cast<std::uintmax_t>(page - 100));
  Touch(first->Bytes());
  EXPECT_EQ(first->Intact(failure, MappedCheck::Faults), static_cast<std::size_t>(page));
  EXPECT_EQ(first->Intact(failure, MappedCheck::Length), static_cast<std::size_t>(page - 100));
  EXPECT_FALSE(failure.has_value());

  // The file grew back over the lost page before anyone looked: the page could not be read.
  fs::resize_file(native, static_cast<std::uintmax_t>(page));
  const auto again = Real().OpenForReading(U16(native.string()), failure);
  ASSERT_NE(again, nullptr);
  const auto lost = again->Map(0, static_cast<std::size_t>(page));
  ASSERT_NE(lost, nullptr);
  fs::resize_file(native, 0);
  Touch(lost->Bytes());
  fs::resize_file(native, static_cast<std::uintmax_t>(2 * page));
  EXPECT_EQ(lost->Intact(failure, MappedCheck::Faults), 0u);
  EXPECT_TRUE(failure.has_value());

  // A fault in memory mapped elsewhere in the program, or a SIGBUS sent to it, still ends it.
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(::raise(SIGBUS), "");
  EXPECT_DEATH(
      {
        const int descriptor = ::open(native.c_str(), O_RDWR);
        void* other =
            ::mmap(nullptr, static_cast<std::size_t>(page), PROT_READ, MAP_SHARED, descriptor, 0);
        ::ftruncate(descriptor, 0);
        Touch(std::string_view(static_cast<const char*>(other), 1));
      },
      "");
  GTEST_FLAG_SET(death_test_style, style);
}

// The search's reader over real files, large ones mapped: a file cut short while its blocks
// come ends where it now ends, without failure, and the next file comes whole. Zeros may follow
// the cut: the rest of the page the file now ends in, and the block whose reading found the cut.
TEST(SystemPosixTest, AMappedFileCutShortWhileItsBlocksComeEndsWhereItNowEnds) {
  TempDir dir;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  std::string content(40 * page, ' ');
  for (std::size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<char>('a' + i % 26);
  const auto pathOf = [&](std::int32_t file) {
    return U16((dir.path() / ("f" + std::to_string(file))).string());
  };
  const struct {
    std::size_t cut;
    int afterBlocks;  // the file is cut once this many blocks came
  } cases[] = {{3 * page, 2}, {8 * page - 100, 2}, {10 * page + 100, 2}, {40 * page - 100, 37}};
  for (const auto& c : cases) {
    for (const ReadThread thread : {ReadThread::Helper, ReadThread::Caller}) {
      const fs::path first = dir.Write("f1", content);
      dir.Write("f2", content);
      ReadAhead reader(Real(), 2, pathOf,
                       ReadLimits{.BlockBytes = page,
                                  .FilesAhead = 2,
                                  .BytesAhead = 8 * page,
                                  .MapFrom = 0,
                                  .MapBytes = 4 * page,
                                  .Thread = thread});
      reader.Start(1);
      std::string_view block;
      std::optional<platform::SystemError> failure;
      std::string read;
      for (int blocks = 0; reader.Next(block, failure); ++blocks) {
        if (blocks == c.afterBlocks) fs::resize_file(first, c.cut);
        read += Touch(block);
      }
      const std::string context = std::to_string(c.cut);
      EXPECT_FALSE(failure.has_value()) << context;
      ASSERT_GE(read.size(), c.cut) << context;
      EXPECT_LE(read.size(), c.cut + 2 * page) << context;
      EXPECT_EQ(read.substr(0, c.cut), content.substr(0, c.cut)) << context;
      EXPECT_EQ(read.find_first_not_of('\0', c.cut), std::string::npos) << context;
      reader.Start(2);
      read.clear();
      while (reader.Next(block, failure))
        read += Touch(block);
      EXPECT_EQ(read, content) << context;
    }
  }
}

/// The contents of a file of the real system.
std::string ContentsOf(const std::u16string& path) {
  std::string content;
  EXPECT_FALSE(ReadWholeFile(Real(), path, content).has_value());
  return content;
}

// A log line that meets the file size limit (as one that meets a full disk) is cut back: the
// write stopped short leaves no part of the line behind, and the next line follows whole.
TEST(SystemPosixTest, ALineThatCannotBeWrittenWholeLeavesNothingBehind) {
  TempDir dir;
  const std::u16string log = U16((dir.path() / "a.log").string());
  ASSERT_FALSE(Real().AppendToFile(log, "START\r\n", std::nullopt).has_value());
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  // Past the limit a write fails with EFBIG instead of raising SIGXFSZ.
  void (*const handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 100;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const auto failure = Real().AppendToFile(log, std::string(10'000, 'x') + "\r\n", std::nullopt);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, handler);
  EXPECT_TRUE(failure.has_value());
  EXPECT_EQ(ContentsOf(log), "START\r\n");
  EXPECT_FALSE(Real().AppendToFile(log, "EXIT\r\n", std::nullopt).has_value());
  EXPECT_EQ(ContentsOf(log), "START\r\nEXIT\r\n");
}

}  // namespace
