#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

/// One file type rule of a FILETYPE line.
struct FileTypeRule {
  std::u16string Pattern;     ///< upper-cased wildcard pattern, possibly with a folder part
  std::int64_t MaxSize = -1;  ///< largest accepted size in bytes, inclusive; negative: any size
  /// The last component of Pattern, the part that is matched against a file's name.
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
  /// The size when it is known without a file system query; empty otherwise.
  std::optional<std::int64_t> AtHand() {
    if (known_) return bytes_;
    return entry_->SizeAtHand();
  }

 private:
  platform::DirectoryEnumeration* entry_ = nullptr;
  std::int64_t bytes_ = 0;
  bool known_ = false;
};

/// The rules that decide which files are searched: the first rule whose pattern matches a
/// file's upper-cased name and whose size limit the file keeps takes it.
class FileTypeRules {
 public:
  /// Rules that upper-case patterns and names with codePage, which must outlive them.
  explicit FileTypeRules(const platform::CodePage& codePage) : codePage_(&codePage) {}

  /// Adds a rule; maxSize is in bytes (rounded half to even), negative or NaN for any size.
  void Add(std::u16string_view pattern, double maxSize);

  /// The index of the first rule taking the file, or why none does; the size is only asked
  /// for once a rule's pattern matches.
  std::optional<std::size_t> RuleFor(std::u16string_view name, FileSize& size,
                                     FileRejection* why = nullptr) const;

  /// The rules in the order they were added.
  const std::vector<FileTypeRule>& Rules() const { return rules_; }

 private:
  const platform::CodePage* codePage_;
  std::vector<FileTypeRule> rules_;
};
