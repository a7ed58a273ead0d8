#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

/// The entries of one folder, one at a time. "." and ".." may or may not be reported.
class DirectoryEnumeration {
 public:
  virtual ~DirectoryEnumeration() = default;

  /// Moves to the next entry; false when no entry is left or reading failed.
  virtual bool Next() = 0;
  /// Bare name of the current entry.
  virtual const std::u16string& Name() const = 0;
  /// True when the current entry is a folder to be walked.
  virtual bool IsFolder() const = 0;
  /// Size in bytes of the current entry; may ask the file system on first call.
  virtual std::int64_t Size() = 0;
};

/// Opens folders for enumeration.
class DirectorySource {
 public:
  virtual ~DirectorySource() = default;

  /// Opens the folder at path (which ends in the separator); nullptr when it cannot be read.
  virtual std::unique_ptr<DirectoryEnumeration> Open(const std::u16string& folderPath) = 0;
};

/// The operating system's folders: entries sorted by name, special files skipped, links to
/// folders not entered, and a folder that is still open (met again through a mount) not opened.
DirectorySource& SystemDirectories();

}  // namespace platform
