#include "search/read_ahead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/fake_system.h"

namespace {

using platform::ErrorKind;

std::u16string PathOf(std::int32_t file) {
  return u"/d/" + std::u16string(1, static_cast<char16_t>(u'a' + file - 1));
}

/// What the reader gave for one file: its blocks joined, how many, the largest, and the failure.
struct FileRead {
  std::string bytes;
  int blocks = 0;
  std::size_t largest = 0;
  std::optional<ErrorKind> failure;
  bool operator==(const FileRead&) const = default;
};

FileRead ReadFile(ReadAhead& reader, std::int32_t file) {
  FileRead read;
  reader.Start(file);
  std::string_view block;
  std::optional<platform::SystemError> failure;
  while (reader.Next(block, failure)) {
    read.bytes += block;
    ++read.blocks;
    read.largest = std::max(read.largest, block.size());
  }
  if (failure) read.failure = failure->Kind;
  return read;
}

// Every way of reading: on either thread, reading ahead little or much, files read or mapped.
std::vector<ReadLimits> AllLimits(std::size_t block) {
  std::vector<ReadLimits> all;
  for (const ReadThread thread : {ReadThread::Helper, ReadThread::Caller}) {
    for (const std::int32_t ahead : {0, 1, 8}) {
      for (const std::size_t bytes : {std::size_t{1}, std::size_t{64}}) {
        for (const std::int64_t mapFrom : {std::int64_t{1} << 40, std::int64_t{0}})
          all.push_back(ReadLimits{.BlockBytes = block,
                                   .FilesAhead = ahead,
                                   .BytesAhead = bytes,
                                   .MapFrom = mapFrom,
                                   .MapBytes = 2 * block,
                                   .Thread = thread});
      }
    }
  }
  return all;
}

std::string Bytes(std::size_t size) {
  std::string bytes(size, ' ');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>('a' + i % 26);
  return bytes;
}

TEST(ReadAheadTest, EveryFileComesWholeInOrderInBlocksOfAtMostTheBlockSize) {
  for (const std::size_t block : {1, 3, 7, 64}) {
    for (const ReadLimits& limits : AllLimits(block)) {
      FakeSystem system;
      const std::vector<std::size_t> sizes{0, 1, block - 1, block, block + 1, 3 * block + 2, 5};
      for (std::size_t i = 0; i < sizes.size(); ++i)
        system.AddFile(PathOf(static_cast<std::int32_t>(i + 1)), Bytes(sizes[i]));
      // File 8 is missing; file 9 cannot be opened.
      system.AddFile(PathOf(9), "x");
      system.Fail(FakeSystem::Operation::Open, PathOf(9));
      ReadAhead reader(system, 9, PathOf, limits);
      for (std::int32_t file = 1; file <= 9; ++file) {
        const FileRead read = ReadFile(reader, file);
        const std::string context = "block " + std::to_string(block) + " ahead " +
                                    std::to_string(limits.FilesAhead) + " file " +
                                    std::to_string(file);
        if (file >= 8) {
          EXPECT_EQ(read.failure, file == 8 ? ErrorKind::NotFound : ErrorKind::AccessDenied)
              << context;
          EXPECT_EQ(reader.File(), nullptr) << context;
          continue;
        }
        const std::size_t size = sizes[static_cast<std::size_t>(file - 1)];
        EXPECT_EQ(read.bytes, Bytes(size)) << context;
        EXPECT_EQ(read.blocks, static_cast<int>((size + block - 1) / block)) << context;
        EXPECT_LE(read.largest, block) << context;
        EXPECT_FALSE(read.failure) << context;
      }
    }
  }
}

TEST(ReadAheadTest, AFileIsReadUpToItsLengthAtTheOpeningAndAFailureHalfwayEndsIt) {
  const struct {
    std::string stored;     // what the file holds when it is opened
    std::string read;       // what reading it then finds; empty: the stored bytes
    std::size_t failAfter;  // reading fails after this many bytes; 0: never
    FileRead expected;
  } cases[] = {
      {"abcdefgh", "abcdefghijkl", 0, {"abcdefgh", 3, 3, {}}},  // grew: read to length 8
      {"abcdefgh", "abcd", 0, {"abcd", 2, 3, {}}},              // shrank: ends early
      {"abcdefgh", "", 5, {"abcde", 2, 3, ErrorKind::Other}},   // fails within block 2
      {"abcdefgh", "", 6, {"abcdef", 2, 3, ErrorKind::Other}},  // fails at a block's start
  };
  for (const auto& c : cases) {
    for (const ReadLimits& limits : AllLimits(3)) {
      FakeSystem system;
      system.AddFile(PathOf(1), c.stored);
      if (!c.read.empty()) system.ChangeWhenOpened(PathOf(1), c.read);
      if (c.failAfter > 0) system.FailReadAfter(PathOf(1), c.failAfter);
      system.AddFile(PathOf(2), "next");
      ReadAhead reader(system, 2, PathOf, limits);
      EXPECT_EQ(ReadFile(reader, 1), c.expected) << c.stored << " / " << c.read;
      EXPECT_EQ(ReadFile(reader, 2).bytes, "next");
    }
  }
}

TEST(ReadAheadTest, AFileCutShortUnderItsMappingEndsThereOrFailsWhenUnreadable) {
  const struct {
    std::size_t cut;  // the mapped bytes from here on are lost
    std::optional<ErrorKind> kind;
    FileRead expected;
  } cases[] = {
      {4, {}, {"abcd", 2, 3, {}}},                // within the first mapped piece
      {9, {}, {"abcdefghi", 3, 3, {}}},           // at a block's end in the second
      {0, {}, {std::string(3, '\0'), 1, 3, {}}},  // the cut shows once a block was read
      {4, ErrorKind::Other, {"abc", 1, 3, ErrorKind::Other}},  // not lost: unreadable
  };
  for (const auto& c : cases) {
    for (ReadLimits limits : AllLimits(3)) {
      limits.MapFrom = 0;
      FakeSystem system;
      system.AddFile(PathOf(1), "abcdefghijkl");
      system.CutMapping(PathOf(1), c.cut, c.kind);
      system.AddFile(PathOf(2), "next");
      ReadAhead reader(system, 2, PathOf, limits);
      EXPECT_EQ(ReadFile(reader, 1), c.expected) << c.cut;
      EXPECT_EQ(ReadFile(reader, 2).bytes, "next");
    }
  }
}

TEST(ReadAheadTest, SkippedFilesAndAnEarlyEndLeaveNothingBehind) {
  FakeSystem system;
  for (std::int32_t file = 1; file <= 5; ++file)
    system.AddFile(PathOf(file), Bytes(100));
  {
    ReadAhead reader(system, 5, PathOf, ReadLimits{.BlockBytes = 3, .BytesAhead = 6});
    reader.Start(1);
    // File 1 is left after its first block and file 2 unread: file 3 still comes whole.
    EXPECT_EQ(ReadFile(reader, 3).bytes, Bytes(100));
    reader.Start(4);
  }  // destroyed while the helper may be waiting for room: it ends
}

}  // namespace
