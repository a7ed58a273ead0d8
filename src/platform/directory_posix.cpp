#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/directory.h"
#include "platform/native_path.h"

namespace platform {
namespace {

/// Identity of a folder on disk; two paths reaching the same folder share it.
using FolderIdentity = std::pair<dev_t, ino_t>;

/// How an entry's status was reached.
enum class Reached { Directly, ThroughLink };

/// One name read from the folder with the type the directory entry gave.
struct RawEntry {
  std::string name;
  unsigned char type = DT_UNKNOWN;
};

class PosixEnumeration : public DirectoryEnumeration {
 public:
  PosixEnumeration(DIR* folder, std::vector<RawEntry> entries, std::set<FolderIdentity>& open,
                   FolderIdentity identity)
      : folder_(folder), entries_(std::move(entries)), open_(open), identity_(identity) {
    open_.insert(identity_);
  }
  ~PosixEnumeration() override {
    open_.erase(identity_);
    ::closedir(folder_);
  }
  PosixEnumeration(const PosixEnumeration&) = delete;
  PosixEnumeration& operator=(const PosixEnumeration&) = delete;

  bool Next() override {
    while (next_ < entries_.size()) {
      const RawEntry& entry = entries_[next_++];
      if (Classify(entry)) {
        name_ = FromNativePath(entry.name);
        return true;
      }
    }
    return false;
  }

  const std::u16string& Name() const override { return name_; }
  bool IsFolder() const override { return isFolder_; }

  std::int64_t Size() override {
    if (!sizeKnown_) {
      struct stat info {};
      const RawEntry& entry = entries_[next_ - 1];
      // The file may have gone since the folder was read; it then counts as empty.
      size_ =
          ::fstatat(::dirfd(folder_), entry.name.c_str(), &info, 0) == 0 && S_ISREG(info.st_mode)
              ? static_cast<std::int64_t>(info.st_size)
              : 0;
      sizeKnown_ = true;
    }
    return size_;
  }

 private:
  /// Decides whether an entry is reported and as what. The entry type usually answers without
  /// asking the file system; only an unknown type or a link costs a stat.
  bool Classify(const RawEntry& entry) {
    sizeKnown_ = false;
    switch (entry.type) {
      case DT_DIR:
        isFolder_ = true;
        return true;
      case DT_REG:
        isFolder_ = false;
        return true;
      case DT_LNK:
        return ClassifyLinkTarget(entry);
      case DT_UNKNOWN: {
        struct stat info {};
        if (::fstatat(::dirfd(folder_), entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
          return false;
        }
        if (S_ISLNK(info.st_mode)) return ClassifyLinkTarget(entry);
        return ClassifyStat(info, Reached::Directly);
      }
      default:
        // Sockets, FIFOs and devices: reading a FIFO would block the run.
        return false;
    }
  }

  /// A link counts when it leads to a regular file. A link to a folder is not entered, so the
  /// walk can never run in a circle; a dangling link is no file.
  bool ClassifyLinkTarget(const RawEntry& entry) {
    struct stat info {};
    if (::fstatat(::dirfd(folder_), entry.name.c_str(), &info, 0) != 0) return false;
    return ClassifyStat(info, Reached::ThroughLink);
  }

  bool ClassifyStat(const struct stat& info, Reached reached) {
    if (S_ISREG(info.st_mode)) {
      isFolder_ = false;
      size_ = static_cast<std::int64_t>(info.st_size);
      sizeKnown_ = true;
      return true;
    }
    if (S_ISDIR(info.st_mode) && reached == Reached::Directly) {
      isFolder_ = true;
      return true;
    }
    return false;
  }

  DIR* folder_;
  std::vector<RawEntry> entries_;
  std::set<FolderIdentity>& open_;
  FolderIdentity identity_;
  std::size_t next_ = 0;
  std::u16string name_;
  bool isFolder_ = false;
  bool sizeKnown_ = false;
  std::int64_t size_ = 0;
};

class PosixDirectories : public DirectorySource {
 public:
  std::unique_ptr<DirectoryEnumeration> Open(const std::u16string& folderPath) override {
    // A path holding NUL names no folder; the system would take the part in front of it.
    if (folderPath.find(u'\0') != std::u16string::npos) return nullptr;
    // O_DIRECTORY refuses anything but a folder before it is opened, and O_NONBLOCK keeps even
    // that check from ever waiting on a FIFO.
    const int descriptor = ::openat(AT_FDCWD, ToNativePath(folderPath).c_str(),
                                    O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) {
      ::close(descriptor);
      return nullptr;
    }
    // A folder that is open further up the walk is reached again through a mount: entering it
    // would never end.
    const FolderIdentity identity{info.st_dev, info.st_ino};
    if (open_.count(identity) != 0) {
      ::close(descriptor);
      return nullptr;
    }
    DIR* folder = ::fdopendir(descriptor);
    if (folder == nullptr) {
      ::close(descriptor);
      return nullptr;
    }

    std::vector<RawEntry> entries;
    for (;;) {
      const dirent* entry = ::readdir(folder);
      // A read failure ends the folder; what was read before is still reported.
      if (entry == nullptr) break;
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      entries.push_back(RawEntry{entry->d_name, entry->d_type});
    }
    // Byte order, so that numbering does not depend on the file system's order.
    std::sort(entries.begin(), entries.end(),
              [](const RawEntry& left, const RawEntry& right) { return left.name < right.name; });
    return std::make_unique<PosixEnumeration>(folder, std::move(entries), open_, identity);
  }

 private:
  std::set<FolderIdentity> open_;
};

}  // namespace

DirectorySource& SystemDirectories() {
  static PosixDirectories directories = [] {
    // Every open level of the walk holds one descriptor; the usual soft limit of 1024 would cut
    // off trees deeper than that, so the walk may use as many as the system allows.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
      limit.rlim_cur = limit.rlim_max;
      ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    return PosixDirectories();
  }();
  return directories;
}

}  // namespace platform
