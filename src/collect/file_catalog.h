#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collect/catalog_ids.h"
#include "collect/growing_array.h"
#include "platform/system.h"

/// The folders the walk entered and the files it kept, in walk order. Every name lives in one
/// shared store, eight bits a character for most names (any 16-bit text, lone surrogates
/// included, comes back as it went in), and each entry is a few numbers: a million files cost
/// well under a hundred megabytes. Paths are composed on demand from the folder chain.
///
/// One thread may add entries while others read those added before, without a lock: nothing
/// added ever moves. The walk can fill the catalog while the search already reads its first
/// files; a reader asks only for entries it knows were added (by the counts, or by what the
/// adding thread told it after adding them).
class FileCatalog {
 public:
  /// A catalog whose paths are composed with separator ("/" or "\").
  explicit FileCatalog(char16_t separator) : separator_(separator) {}
  FileCatalog(FileCatalog&& other) noexcept = default;
  FileCatalog& operator=(FileCatalog&& other) noexcept = default;

  /// Adds a root folder; path loses one trailing separator, so the root "/" is kept as "".
  FolderId AddRoot(std::u16string_view path);
  /// Adds a folder named name inside parent.
  FolderId AddFolder(FolderId parent, std::u16string_view name);
  /// Adds a file of folder with its size (kSizeLater when it is learned when the file is read)
  /// and the identity the walk listed, if known.
  FileId AddFile(FolderId folder, std::u16string_view name, std::int64_t size,
                 std::optional<platform::FileIdentity> identity);
  /// Records the size of a file added with kSizeLater; a size known already stays. Called by
  /// one thread (the search's, which alone reads the sizes meanwhile) while the walk may still
  /// add files.
  void LearnSize(FileId file, std::int64_t size);

  /// A size not known when the file was added.
  static constexpr std::int64_t kSizeLater = -1;

  std::size_t FolderCount() const;
  std::size_t FileCount() const;
  /// The sum of the sizes of all files known so far, in bytes; a double, so that no sum of
  /// 64-bit sizes overflows (it is exact up to 2^53 bytes).
  double TotalSize() const;

  /// True when the folder is a root (the start of a FOLDER line's walk).
  bool IsRoot(FolderId folder) const;
  /// The folder's full path, ending in the separator.
  std::u16string FolderPath(FolderId folder) const;
  /// The file's full path.
  std::u16string FilePath(FileId file) const;
  /// The file's bare name as the system listed it.
  std::u16string FileName(FileId file) const;
  /// The file's size; kSizeLater until it is learned.
  std::int64_t FileSize(FileId file) const;
  /// The walk's root, the names below it and the identity recorded for the file, so that an
  /// action reaches the very file the walk found.
  platform::FoundFile Locate(FileId file) const;

 private:
  /// Where a name lies in the shared store, in bytes.
  struct NameSpan {
    std::uint64_t Offset = 0;
    std::uint32_t Length = 0;
  };
  struct FolderEntry {
    NameSpan Name;
    std::int32_t Parent = -1;  ///< index of the containing folder; negative for a root
  };
  struct FileEntry {
    std::uint64_t NameOffset = 0;
    /// The name's length in bytes; the top bit tells whether Identity is known.
    std::uint32_t NameLengthAndIdentity = 0;
    std::int32_t Folder = 0;
    std::int64_t Size = 0;
    platform::FileIdentity Identity;
  };
  static constexpr std::uint32_t kIdentityKnown = 0x80000000U;
  /// A total written by one thread and read by any; a moved catalog takes it along.
  struct SharedTotal {
    SharedTotal() = default;
    SharedTotal(SharedTotal&& other) noexcept : Bytes(other.Bytes.load()) {}
    SharedTotal& operator=(SharedTotal&& other) noexcept {
      Bytes = other.Bytes.load();
      return *this;
    }
    void Add(double bytes) { Bytes.store(Bytes.load(std::memory_order_relaxed) + bytes); }
    std::atomic<double> Bytes{0};
  };

  NameSpan Store(std::u16string_view name);
  /// Appends the stored name to text.
  void AppendName(NameSpan span, std::u16string& text) const;
  std::u16string NameOf(NameSpan span) const;
  static NameSpan NameOf(const FileEntry& file) {
    return {file.NameOffset, file.NameLengthAndIdentity & ~kIdentityKnown};
  }
  const FolderEntry& Folder(FolderId folder) const { return *folders_.At(IndexOf(folder)); }
  const FolderEntry& Folder(std::int32_t index) const {
    return *folders_.At(static_cast<std::size_t>(index));
  }
  const FileEntry& File(FileId file) const { return *files_.At(IndexOf(file)); }
  /// Appends the folder's full path, ending in the separator, to path.
  void AppendPath(FolderId folder, std::u16string& path) const;

  char16_t separator_;
  GrowingArray<char, 16> names_;
  GrowingArray<FolderEntry, 8> folders_;
  GrowingArray<FileEntry, 10> files_;
  SharedTotal addedSize_;    ///< of the sizes known when the files were added
  SharedTotal learnedSize_;  ///< of the sizes learned later
  std::string encoded_;      ///< room for the name being stored
};
