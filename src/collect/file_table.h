#pragma once

#include <cstdint>
#include <string>

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
};

/// One file type rule.
struct FileTypeEntry {
  std::u16string Pattern;     ///< upper-cased wildcard pattern, possibly with a folder part
  std::int64_t MaxSize = -1;  ///< largest accepted size in bytes, inclusive; negative: any size
  /// The last component of Pattern, the part that is matched; kept by AddFileType so that the
  /// walk does not reduce the pattern again for every file.
  std::u16string NamePattern;
};
