#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "collect/catalog_ids.h"
#include "platform/system.h"

/// The folders the walk entered and the files it kept, in walk order. Every name lives in one
/// shared store, eight bits a character for most names (any 16-bit text, lone surrogates
/// included, comes back as it went in), and each entry is a few numbers: a million files cost
/// well under a hundred megabytes. Paths are composed on demand from the folder chain.
///
/// One thread may add entries while others read those added before: the walk can fill the
/// catalog while the search already reads its first files.
class FileCatalog {
 public:
  /// A catalog whose paths are composed with separator ("/" or "\").
  explicit FileCatalog(char16_t separator) : separator_(separator) {}

  /// Adds a root folder; path loses one trailing separator, so the root "/" is kept as "".
  FolderId AddRoot(std::u16string_view path);
  /// Adds a folder named name inside parent.
  FolderId AddFolder(FolderId parent, std::u16string_view name);
  /// Adds a file of folder with its size (kSizeLater when it is learned when the file is read)
  /// and the identity the walk listed, if known.
  FileId AddFile(FolderId folder, std::u16string_view name, std::int64_t size,
                 std::optional<platform::FileIdentity> identity);
  /// Records the size of a file added with kSizeLater; a size known already stays. Called by
  /// one thread at a time (the search's), while the walk may still add files.
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
  /// A lock of the catalog's own: a copied or moved catalog gets a fresh one.
  struct Guard {
    Guard() = default;
    Guard(const Guard& /*other*/) {}
    Guard& operator=(const Guard& /*other*/) { return *this; }
    mutable std::shared_mutex Mutex;
  };
  /// The sizes learned after adding: written by the search's thread, read by any.
  struct LearnedSize {
    LearnedSize() = default;
    LearnedSize(const LearnedSize& other) : Bytes(other.Bytes.load()) {}
    LearnedSize& operator=(const LearnedSize& other) {
      Bytes = other.Bytes.load();
      return *this;
    }
    std::atomic<double> Bytes{0};
  };

  NameSpan Store(std::u16string_view name);
  /// Appends the stored name to text.
  void AppendName(NameSpan span, std::u16string& text) const;
  std::u16string NameOf(NameSpan span) const;
  static NameSpan NameOf(const FileEntry& file) {
    return {file.NameOffset, file.NameLengthAndIdentity & ~kIdentityKnown};
  }
  const FolderEntry& Folder(FolderId folder) const { return folders_[IndexOf(folder)]; }
  const FileEntry& File(FileId file) const { return files_[IndexOf(file)]; }
  /// FolderPath with the lock held.
  std::u16string PathOf(FolderId folder) const;

  char16_t separator_;
  Guard guard_;  ///< shared for reading, exclusive for adding
  std::string names_;
  std::vector<FolderEntry> folders_;
  std::vector<FileEntry> files_;
  double totalSize_ = 0;  ///< of the sizes known when the files were added
  LearnedSize learned_;
};
