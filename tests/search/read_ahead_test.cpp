#include "search/read_ahead.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "testing/fake_system.h"

namespace {

using platform::ErrorKind;

std::u16string PathOf(std::int32_t file) {
  return u"/d/" + std::u16string(1, static_cast<char16_t>(u'a' + file - 1));
}

/// What the reader gave for one file: its blocks joined, how many, and the failure.
using FileRead = std::tuple<std::string, int, std::optional<ErrorKind>>;

/// Reads file whole, checking that no block is larger than limit.
FileRead ReadFile(ReadAhead& reader, std::int32_t file, std::size_t limit) {
  std::string bytes;
  int blocks = 0;
  reader.Start(file);
  std::string_view block;
  std::optional<platform::SystemError> failure;
  for (; reader.Next(block, failure); ++blocks) {
    bytes += block;
    EXPECT_LE(block.size(), limit);
  }
  return {bytes, blocks, failure ? std::optional(failure->Kind) : std::nullopt};
}

// Every way of reading: on either thread, reading ahead little or much, files read or mapped.
std::vector<ReadLimits> AllLimits(std::size_t block) {
  std::vector<ReadLimits> all;
  for (const ReadThread thread : {ReadThread::Helper, ReadThread::Caller})
    for (const std::int32_t ahead : {0, 1, 8})
      for (const std::size_t bytes : {1, 64})
        for (const std::int64_t mapFrom : {std::int64_t{1} << 40, std::int64_t{0}})
          all.push_back({block, ahead, bytes, mapFrom, 2 * block, thread});  // in field order
  return all;
}

std::string Bytes(std::size_t size) {
  std::string bytes;
  while (bytes.size() < size)
    bytes += static_cast<char>('a' + bytes.size() % 26);
  return bytes;
}

TEST(ReadAheadTest, EveryFileComesWholeInOrderInBlocksOfAtMostTheBlockSize) {
  for (const std::size_t block : {1, 3, 7, 64}) {
    for (const ReadLimits& limits : AllLimits(block)) {
      // Files 1 to 7 of these sizes; file 8 is missing, file 9 cannot be opened.
      const std::size_t sizes[] = {0, 1, block - 1, block, block + 1, 3 * block + 2, 5, 0, 0};
      const std::optional<ErrorKind> failures[] = {
          {}, {}, {}, {}, {}, {}, {}, ErrorKind::NotFound, ErrorKind::AccessDenied};
      FakeSystem system;
      for (std::int32_t file = 1; file <= 7; ++file)
        system.AddFile(PathOf(file), Bytes(sizes[file - 1]));
      system.AddFile(PathOf(9), "x");
      system.Fail(FakeSystem::Operation::Open, PathOf(9));
      ReadAhead reader(system, 9, PathOf, limits);
      for (std::int32_t file = 1; file <= 9; ++file) {
        SCOPED_TRACE(testing::Message()
                     << "block " << block << " ahead " << limits.FilesAhead << " file " << file);
        const std::size_t size = sizes[file - 1];
        EXPECT_EQ(ReadFile(reader, file, block),
                  (FileRead{Bytes(size), (size + block - 1) / block, failures[file - 1]}));
        EXPECT_EQ(reader.File() == nullptr, file >= 8);
      }
    }
  }
}

// A file is read up to its length at the opening, and ends early where it shrank, where its
// mapping was cut short, or with the failure where reading fails halfway; the next file is whole.
TEST(ReadAheadTest, AFileEndsAtItsLengthAtTheOpeningOrWhereItWasCutOrFailed) {
  const std::optional<ErrorKind> none, other = ErrorKind::Other;
  const struct {
    std::string read;                  // what reading finds of the 12 bytes stored; "": those
    std::size_t failAfter;             // reading fails after this many bytes; 0: never
    std::optional<std::size_t> cut;    // the file is mapped, and bytes from here on are lost
    std::optional<ErrorKind> cutKind;  // the lost bytes cannot be read either
    FileRead expected;
  } cases[] = {
      // clang-format off
      {Bytes(16), 0, {}, none, {Bytes(12), 4, none}},     // grew: read to length 12
      {"abcd", 0, {}, none, {"abcd", 2, none}},           // shrank: ends early
      {"", 5, {}, none, {"abcde", 2, other}},             // fails within block 2
      {"", 6, {}, none, {"abcdef", 2, other}},            // fails at a block's start
      {"", 0, 4, none, {"abcd", 2, none}},                // cut in the first mapped piece
      {"", 0, 9, none, {"abcdefghi", 3, none}},           // at a block's end in the second
      {"", 0, 0, none, {std::string(3, '\0'), 1, none}},  // shows once a block was read
      {"", 0, 4, other, {"abc", 1, other}},               // not lost: unreadable
      // clang-format on
  };
  for (const auto& c : cases) {
    for (ReadLimits limits : AllLimits(3)) {
      if (c.cut) limits.MapFrom = 0;
      FakeSystem system;
      system.AddFile(PathOf(1), Bytes(12));
      if (!c.read.empty()) system.ChangeWhenOpened(PathOf(1), c.read);
      if (c.failAfter > 0) system.FailReadAfter(PathOf(1), c.failAfter);
      if (c.cut) system.CutMapping(PathOf(1), *c.cut, c.cutKind);
      system.AddFile(PathOf(2), "next");
      ReadAhead reader(system, 2, PathOf, limits);
      EXPECT_EQ(ReadFile(reader, 1, 3), c.expected) << "case " << &c - cases;
      EXPECT_EQ(ReadFile(reader, 2, 3), (FileRead{"next", 2, {}}));
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
    EXPECT_EQ(ReadFile(reader, 3, 3), (FileRead{Bytes(100), 34, {}}));
    reader.Start(4);
  }  // destroyed while the helper may be waiting for room: it ends
}

}  // namespace
