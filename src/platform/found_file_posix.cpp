#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/errno_error_posix.h"
#include "platform/native_path_posix.h"
#include "platform/system_posix.h"

namespace platform::posix {
namespace {

/// A folder descriptor, closed when it goes.
class OpenFolder {
 public:
  explicit OpenFolder(int descriptor) : descriptor_(descriptor) {}
  ~OpenFolder() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
  OpenFolder(OpenFolder&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
  OpenFolder& operator=(OpenFolder&& other) noexcept {
    Reset(std::exchange(other.descriptor_, -1));
    return *this;
  }

  int Get() const { return descriptor_; }
  /// Takes over another descriptor, closing the one held.
  void Reset(int descriptor) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = descriptor;
  }

 private:
  int descriptor_;
};

int OpenBelow(int folder, const char* name, int flags) {
  int descriptor = -1;
  do {
    descriptor = ::openat(folder, name, flags);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

bool HoldsNul(const std::u16string& text) {
  return text.find(u'\0') != std::u16string::npos;
}

FileIdentity IdentityIn(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;

/// Opens found files from their root down by descriptors, keeping the folder of the last one.
class DescendingOpener : public FoundFileOpener {
 public:
  std::unique_ptr<ReadableFile> Open(const FoundFile& file, const std::u16string& path,
                                     std::optional<SystemError>& failure) override {
    failure.reset();
    if (file.Names.empty()) return OpenForReading(path, failure);
    const int folder = FolderOf(file, failure);
    if (folder < 0) return nullptr;
    const std::u16string& name = file.Names.back();
    if (HoldsNul(name)) {
      failure = ErrorFromErrno(ENOENT);
      return nullptr;
    }
    const std::string native = ToNativePath(name);
    constexpr int kFileFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    int descriptor = OpenBelow(folder, native.c_str(), kFileFlags | O_NOFOLLOW);
    bool link = false;
    if (descriptor < 0 && errno == ELOOP) {
      // A link is followed only when it is the very link the walk found (links to files are
      // files to the walk); one put in the file's place since is not.
      struct stat info {};
      if (::fstatat(folder, native.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        failure = ErrorFromErrno(errno);
        return nullptr;
      }
      if (!S_ISLNK(info.st_mode) || (file.Identity && *file.Identity != IdentityIn(info))) {
        failure = FileChangedSinceWalkError();
        return nullptr;
      }
      link = true;
      descriptor = OpenBelow(folder, native.c_str(), kFileFlags);
    }
    if (descriptor < 0) {
      failure = ErrorFromErrno(errno);
      return nullptr;
    }
    FileIdentity identity;
    std::unique_ptr<ReadableFile> readable = ReadableFromDescriptor(descriptor, identity, failure);
    if (readable != nullptr && !link && file.Identity && *file.Identity != identity) {
      failure = FileChangedSinceWalkError();
      return nullptr;
    }
    return readable;
  }

  bool NeedsPath() const override { return false; }

  std::optional<std::int64_t> ListedSize(const FoundFile& file,
                                         const std::u16string& path) override {
    struct stat info {};
    if (file.Names.empty()) {
      if (::stat(ToNativePath(path).c_str(), &info) != 0) return std::nullopt;
    } else {
      std::optional<SystemError> failure;
      const int folder = FolderOf(file, failure);
      const std::u16string& name = file.Names.back();
      if (folder < 0 || HoldsNul(name) ||
          ::fstatat(folder, ToNativePath(name).c_str(), &info, 0) != 0) {
        return std::nullopt;
      }
    }
    // As the walk sizes an entry: what is no regular file now counts as empty.
    return S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
  }

 private:
  /// The open folder that holds file, reached from the root without following a link; negative
  /// with failure set when it cannot be reached.
  int FolderOf(const FoundFile& file, std::optional<SystemError>& failure) {
    const std::size_t depth = file.Names.size() - 1;
    // Files come folder by folder, depth first: the folders kept open from the root down are
    // mostly the wanted one or lead to it, and the next folder is usually a sibling, which costs
    // one open instead of the whole way from the root.
    std::size_t kept = 0;
    if (!folders_.empty() && root_ == file.Root) {
      kept = 1;
      while (kept <= names_.size() && kept <= depth && names_[kept - 1] == file.Names[kept - 1] &&
             folders_[kept].Get() >= 0) {
        ++kept;
      }
    }
    folders_.erase(folders_.begin() + static_cast<std::ptrdiff_t>(kept), folders_.end());
    names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(kept > 0 ? kept - 1 : 0),
                 names_.end());
    if (folders_.empty()) {
      root_.clear();
      if (HoldsNul(file.Root)) {
        failure = ErrorFromErrno(ENOENT);
        return -1;
      }
      // The root is opened as the walk opened it.
      const int root = OpenBelow(AT_FDCWD, ToNativePath(file.Root).c_str(), kFolderFlags);
      if (root < 0) {
        failure = ErrorFromErrno(errno);
        return -1;
      }
      folders_.emplace_back(root);
      root_ = file.Root;
    }
    for (std::size_t level = names_.size(); level < depth; ++level) {
      const std::u16string& name = file.Names[level];
      const int next = HoldsNul(name) ? -1
                                      : OpenBelow(folders_.back().Get(), ToNativePath(name).c_str(),
                                                  kFolderFlags | O_NOFOLLOW);
      if (next < 0) {
        const int error = HoldsNul(name) ? ENOENT : errno;
        folders_.clear();
        names_.clear();
        // A link (ELOOP) or a file (ENOTDIR) now stands where the walk entered a folder.
        failure = error == ELOOP || error == ENOTDIR ? FileChangedSinceWalkError()
                                                     : ErrorFromErrno(error);
        return -1;
      }
      folders_.emplace_back(next);
      names_.push_back(name);
    }
    // A very deep tree keeps only its lowest folders open: descriptors are limited, and the walk
    // needs its own.
    if (folders_.size() > kMostKept) {
      for (std::size_t level = folders_.size() - kMostKept; level-- > 1;) {
        if (folders_[level].Get() < 0) break;
        folders_[level].Reset(-1);
      }
    }
    return folders_.back().Get();
  }

  /// Folders kept open below the root at most.
  static constexpr std::size_t kMostKept = 64;

  std::vector<OpenFolder> folders_;    ///< the root and the folders below it down to the last
  std::u16string root_;                ///< the root folders_ starts with
  std::vector<std::u16string> names_;  ///< the names of folders_ after the root
};

}  // namespace

std::unique_ptr<FoundFileOpener> OpenFoundFiles() {
  return std::make_unique<DescendingOpener>();
}

std::optional<SystemError> DeleteFoundFile(const FoundFile& file) {
  if (file.Names.empty() || HoldsNul(file.Root)) return ErrorFromErrno(ENOENT);
  // The root is opened as the walk opened it; below it every folder must still be a folder
  // and not a link, or the walk would never have entered it.
  OpenFolder folder(OpenBelow(AT_FDCWD, ToNativePath(file.Root).c_str(), kFolderFlags));
  if (folder.Get() < 0) return ErrorFromErrno(errno);
  for (std::size_t level = 0; level + 1 < file.Names.size(); ++level) {
    if (HoldsNul(file.Names[level])) return ErrorFromErrno(ENOENT);
    const int below =
        OpenBelow(folder.Get(), ToNativePath(file.Names[level]).c_str(), kFolderFlags | O_NOFOLLOW);
    if (below < 0) {
      // A link (ELOOP) or a file (ENOTDIR) now stands where the walk entered a folder.
      return errno == ELOOP || errno == ENOTDIR ? FileReplacedError() : ErrorFromErrno(errno);
    }
    folder.Reset(below);
  }

  const std::u16string& name = file.Names.back();
  if (HoldsNul(name)) return ErrorFromErrno(ENOENT);
  const std::string native = ToNativePath(name);
  struct stat info {};
  if (::fstatat(folder.Get(), native.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return ErrorFromErrno(errno);
  }
  const FileIdentity now = IdentityIn(info);
  if (S_ISDIR(info.st_mode) || (file.Identity.has_value() && *file.Identity != now)) {
    return FileReplacedError();
  }
  if (::unlinkat(folder.Get(), native.c_str(), 0) != 0) return ErrorFromErrno(errno);
  return std::nullopt;
}

}  // namespace platform::posix
