#pragma once

#include <cstddef>
#include <memory>
#include <span>

namespace platform::posix {

/// Opens, reads and closes many files with one system call per step where the system can
/// (io_uring on Linux). A call costs about as much as opening a small file, so a batch of small
/// files costs a third of opening and reading them one by one.
class FileBatch {
 public:
  /// A file to open: name below the open folder.
  struct Opening {
    int Folder = -1;
    const char* Name = nullptr;
    int Flags = 0;
  };
  /// Bytes to read from the start of an open file.
  struct Reading {
    int Descriptor = -1;
    char* Buffer = nullptr;
    std::size_t Size = 0;
  };

  virtual ~FileBatch() = default;

  /// The result of an operation the batch could not carry out: the caller does it alone.
  static constexpr long kNotDone = -1000000;

  /// A batch for this thread; null where the system offers none (or forbids it).
  static std::unique_ptr<FileBatch> Create();

  /// Opens every file; results gets a descriptor, a negative errno or kNotDone for each.
  virtual void Open(std::span<const Opening> files, std::span<long> results) = 0;
  /// Reads every file's first bytes; results gets the count read, a negative errno or kNotDone
  /// for each.
  virtual void Read(std::span<const Reading> files, std::span<long> results) = 0;
  /// Closes every descriptor.
  virtual void Close(std::span<const int> descriptors) = 0;
};

}  // namespace platform::posix
