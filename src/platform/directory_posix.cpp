#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/errno_error_posix.h"
#include "platform/native_path_posix.h"
#include "platform/system_posix.h"

namespace platform::posix {
namespace {

/// Identity of a folder on disk; two paths reaching the same folder share it.
using FolderIdentity = std::pair<dev_t, ino_t>;

/// One name read from the folder with the type the directory entry gave.
struct RawEntry {
  std::string name;
  unsigned char type = DT_UNKNOWN;
  ino_t inode = 0;
};

/// The folders being listed right now, up the walk.
std::set<FolderIdentity>& OpenFolders() {
  static std::set<FolderIdentity> open;
  return open;
}

/// The devices of the folders being listed right now, the innermost last.
std::vector<dev_t>& OpenDevices() {
  static std::vector<dev_t> open;
  return open;
}

/// True when the mount that device belongs to has the file system type named type, by the
/// process's mount table.
bool MountHasType(dev_t device, const std::string& type) {
  std::ifstream table("/proc/self/mountinfo");
  const std::string number = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (std::string line; std::getline(table, line);) {
    // "<id> <parent> <major:minor> <root> <mount point> <options> ... - <type> <source> ..."
    const std::size_t third = line.find(' ', line.find(' ') + 1);
    if (third == std::string::npos || line.compare(third + 1, number.size() + 1, number + " ") != 0)
      continue;
    const std::size_t dash = line.find(" - ");
    if (dash != std::string::npos && line.compare(dash + 3, type.size() + 1, type + " ") == 0)
      return true;
  }
  return false;
}

/// True for the file systems that show the kernel's state as files (proc, sysfs, devices, ...):
/// nothing in them is a person's document, and reading some of them blocks or never ends.
bool IsPseudoFileSystem(int descriptor, dev_t device) {
  struct statfs info {};
  if (::fstatfs(descriptor, &info) != 0) return false;
  constexpr std::uint64_t kPseudoTypes[] = {
      0x9FA0,      // proc
      0x62656572,  // sysfs
      0x1CD1,      // devpts
      0x27E0EB,    // cgroup
      0x63677270,  // cgroup2
      0x64626720,  // debugfs
      0x74726163,  // tracefs
      0x73636673,  // securityfs
      0x6165676C,  // pstore
      0xCAFE4A11,  // bpf
      0x62656570,  // configfs
      0x65735543,  // fusectl
      0x19800202,  // mqueue
      0x958458F6,  // hugetlbfs
      0x42494E4D,  // binfmt_misc
      0xDE5E81E4,  // efivarfs
      0xF97CFF8C,  // selinuxfs
      0x43415D53,  // smackfs
      0x6E736673,  // nsfs
      0x67596969,  // rpc_pipefs
  };
  const auto type = static_cast<std::uint64_t>(info.f_type) & 0xFFFFFFFFu;
  for (const std::uint64_t pseudo : kPseudoTypes) {
    if (type == pseudo) return true;
  }
  // devtmpfs reports the type of tmpfs, which holds real files; only the mount table tells.
  constexpr std::uint64_t kTmpfs = 0x01021994;
  return type == kTmpfs && MountHasType(device, "devtmpfs");
}

class PosixEnumeration : public DirectoryEnumeration {
 public:
  PosixEnumeration(DIR* folder, std::vector<RawEntry> entries, FolderIdentity identity)
      : folder_(folder), entries_(std::move(entries)), identity_(identity) {
    OpenFolders().insert(identity_);
    OpenDevices().push_back(identity_.first);
  }
  ~PosixEnumeration() override {
    OpenFolders().erase(identity_);
    // Listings end in the reverse order they began; the search keeps this right if one did not.
    std::vector<dev_t>& devices = OpenDevices();
    for (auto device = devices.rbegin(); device != devices.rend(); ++device) {
      if (*device == identity_.first) {
        devices.erase(std::next(device).base());
        break;
      }
    }
    ::closedir(folder_);
  }
  PosixEnumeration(const PosixEnumeration&) = delete;
  PosixEnumeration& operator=(const PosixEnumeration&) = delete;

  bool Next() override {
    if (next_ >= entries_.size()) return false;
    const RawEntry& entry = entries_[next_++];
    Classify(entry);
    name_ = FromNativePath(entry.name);
    return true;
  }

  const std::u16string& Name() const override { return name_; }
  EntryKind Kind() const override { return kind_; }

  std::int64_t Size() override {
    if (!sizeKnown_) {
      struct stat info {};
      // The file may have gone since the folder was read; it then counts as empty.
      size_ = ::fstatat(::dirfd(folder_), Current().name.c_str(), &info, 0) == 0 &&
                      S_ISREG(info.st_mode)
                  ? static_cast<std::int64_t>(info.st_size)
                  : 0;
      sizeKnown_ = true;
    }
    return size_;
  }

  std::optional<std::int64_t> SizeAtHand() override {
    // Known when the entry had to be looked at to tell what it is (a link, an unknown type).
    return sizeKnown_ ? std::optional<std::int64_t>(size_) : std::nullopt;
  }

  std::optional<FileIdentity> Identity() override {
    // The entry's inode comes with the name and shares the folder's device, so no stat is
    // needed. Only a mount point reports another pair when asked, and it is never a kept file.
    return FileIdentity{static_cast<std::uint64_t>(identity_.first),
                        static_cast<std::uint64_t>(Current().inode)};
  }

 private:
  const RawEntry& Current() const { return entries_[next_ - 1]; }

  /// Decides what an entry is. The entry type usually answers without asking the file system;
  /// only an unknown type or a link costs a stat.
  void Classify(const RawEntry& entry) {
    sizeKnown_ = false;
    switch (entry.type) {
      case DT_DIR:
        kind_ = EntryKind::Folder;
        return;
      case DT_REG:
        kind_ = EntryKind::File;
        return;
      case DT_LNK:
        ClassifyLinkTarget(entry);
        return;
      case DT_UNKNOWN: {
        struct stat info {};
        if (::fstatat(::dirfd(folder_), entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
          kind_ = EntryKind::Special;
        } else if (S_ISLNK(info.st_mode)) {
          ClassifyLinkTarget(entry);
        } else {
          ClassifyStat(info, EntryKind::Folder);
        }
        return;
      }
      default:
        // Sockets, FIFOs and devices: reading a FIFO would block the run.
        kind_ = EntryKind::Special;
        return;
    }
  }

  /// A link counts as a file when it leads to a regular file. A link to a folder is not
  /// entered, so the walk can never run in a circle; a dangling link is no file.
  void ClassifyLinkTarget(const RawEntry& entry) {
    struct stat info {};
    if (::fstatat(::dirfd(folder_), entry.name.c_str(), &info, 0) != 0) {
      kind_ = EntryKind::Special;
      return;
    }
    ClassifyStat(info, EntryKind::FolderLink);
  }

  /// A regular file is a File with its size known; a folder is asFolder; the rest is Special.
  void ClassifyStat(const struct stat& info, EntryKind asFolder) {
    if (S_ISREG(info.st_mode)) {
      kind_ = EntryKind::File;
      size_ = static_cast<std::int64_t>(info.st_size);
      sizeKnown_ = true;
    } else {
      kind_ = S_ISDIR(info.st_mode) ? asFolder : EntryKind::Special;
    }
  }

  DIR* folder_;
  std::vector<RawEntry> entries_;
  FolderIdentity identity_;
  std::size_t next_ = 0;
  std::u16string name_;
  EntryKind kind_ = EntryKind::Special;
  bool sizeKnown_ = false;
  std::int64_t size_ = 0;
};

}  // namespace

void RaiseDescriptorLimit() {
  // Every open level of the walk holds one descriptor; the usual soft limit of 1024 would cut
  // off trees deeper than that.
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

std::unique_ptr<DirectoryEnumeration> OpenDirectory(const std::u16string& path,
                                                    std::optional<SystemError>& failure) {
  failure.reset();
  // A path holding NUL names no folder; the system would take the part in front of it.
  if (path.find(u'\0') != std::u16string::npos) {
    failure = ErrorFromErrno(ENOENT);
    return nullptr;
  }
  // O_DIRECTORY refuses anything but a folder before it is opened, and O_NONBLOCK keeps even
  // that check from ever waiting on a FIFO.
  const int descriptor = ::openat(AT_FDCWD, ToNativePath(path).c_str(),
                                  O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    failure = ErrorFromErrno(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(descriptor, &info) != 0) {
    failure = ErrorFromErrno(errno);
    ::close(descriptor);
    return nullptr;
  }
  // A folder that is open further up the walk is reached again through a mount: entering it
  // would never end.
  const FolderIdentity identity{info.st_dev, info.st_ino};
  if (OpenFolders().count(identity) != 0) {
    failure = ErrorFromErrno(ELOOP);
    ::close(descriptor);
    return nullptr;
  }
  // A pseudo file system met below the walk's root is not entered; one named as the root is
  // listed as asked. Only a change of device costs the test, so a normal tree pays nothing.
  if (!OpenDevices().empty() && OpenDevices().back() != info.st_dev &&
      IsPseudoFileSystem(descriptor, info.st_dev)) {
    failure = SystemError{ErrorKind::PseudoFileSystem, u"Pseudo-Dateisystem, nicht durchsucht"};
    ::close(descriptor);
    return nullptr;
  }
  DIR* folder = ::fdopendir(descriptor);
  if (folder == nullptr) {
    failure = ErrorFromErrno(errno);
    ::close(descriptor);
    return nullptr;
  }

  std::vector<RawEntry> entries;
  for (;;) {
    const dirent* entry = ::readdir(folder);
    // A read failure ends the folder; what was read before is still reported.
    if (entry == nullptr) break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    entries.push_back(RawEntry{entry->d_name, entry->d_type, entry->d_ino});
  }
  // Byte order, so that numbering does not depend on the file system's order.
  std::sort(entries.begin(), entries.end(),
            [](const RawEntry& left, const RawEntry& right) { return left.name < right.name; });
  return std::make_unique<PosixEnumeration>(folder, std::move(entries), identity);
}

}  // namespace platform::posix
