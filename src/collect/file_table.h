#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"

/// One folder the walk entered.
struct FolderEntry {
  std::int32_t Parent = 0;  ///< number of the containing folder, 0 for a root
  std::u16string Name;      ///< root: the FOLDER path less one trailing separator; else bare name
};

/// One file a file type rule accepted.
struct FileEntry {
  std::int32_t TypeIndex = 0;    ///< number of the rule that accepted it
  std::int32_t FolderIndex = 0;  ///< number of the folder it was found in
  std::u16string Name;           ///< bare entry name as the platform reported it
  std::int64_t Size = 0;         ///< size in bytes (64-bit, so files of 2 GiB and more fit)
  /// The identity the walk listed, so that actions reach this very file; empty when unknown.
  std::optional<platform::FileIdentity> Identity{};
};

/// One file type rule.
struct FileTypeEntry {
  std::u16string Pattern;     ///< upper-cased wildcard pattern, possibly with a folder part
  std::int64_t MaxSize = -1;  ///< largest accepted size in bytes, inclusive; negative: any size
  /// The last component of Pattern, the part that is matched; kept by AddFileType so that the
  /// walk does not reduce the pattern again for every file.
  std::u16string NamePattern;
};

/// Why no file type rule accepted a file.
enum class FileRejection {
  NoPattern,      ///< no rule's pattern matches the name
  OverSizeLimit,  ///< a pattern matches, but the file is larger than each such rule allows
};

/// A file's size, asked for only when a rule needs it: most files of a large tree are rejected by
/// name alone, and sizing one can cost a file system query.
class FileSize {
 public:
  /// A size known up front.
  explicit FileSize(std::int64_t bytes) : bytes_(bytes), known_(true) {}
  /// The size of the file the enumeration stands on, fetched at the first Bytes().
  explicit FileSize(platform::DirectoryEnumeration& entry) : entry_(&entry) {}

  /// The size in bytes.
  std::int64_t Bytes() {
    if (!known_) {
      bytes_ = entry_->Size();
      known_ = true;
    }
    return bytes_;
  }

 private:
  platform::DirectoryEnumeration* entry_ = nullptr;
  std::int64_t bytes_ = 0;
  bool known_ = false;
};
