#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
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
    // Files come mostly folder by folder, and the walk goes depth first: the folder kept is
    // usually the one wanted or one of its parents.
    const bool below = folder_.Get() >= 0 && root_ == file.Root && names_.size() <= depth &&
                       std::equal(names_.begin(), names_.end(), file.Names.begin());
    if (!below) {
      names_.clear();
      root_.clear();
      if (HoldsNul(file.Root)) {
        folder_.Reset(-1);
        failure = ErrorFromErrno(ENOENT);
        return -1;
      }
      // The root is opened as the walk opened it.
      folder_.Reset(OpenBelow(AT_FDCWD, ToNativePath(file.Root).c_str(), kFolderFlags));
      if (folder_.Get() < 0) {
        failure = ErrorFromErrno(errno);
        return -1;
      }
      root_ = file.Root;
    }
    for (std::size_t level = names_.size(); level < depth; ++level) {
      const std::u16string& name = file.Names[level];
      const int next = HoldsNul(name) ? -1
                                      : OpenBelow(folder_.Get(), ToNativePath(name).c_str(),
                                                  kFolderFlags | O_NOFOLLOW);
      if (next < 0) {
        const int error = HoldsNul(name) ? ENOENT : errno;
        folder_.Reset(-1);
        names_.clear();
        // A link (ELOOP) or a file (ENOTDIR) now stands where the walk entered a folder.
        failure = error == ELOOP || error == ENOTDIR ? FileChangedSinceWalkError()
                                                     : ErrorFromErrno(error);
        return -1;
      }
      folder_.Reset(next);
      names_.push_back(name);
    }
    return folder_.Get();
  }

  OpenFolder folder_{-1};
  std::u16string root_;                ///< the root folder_ lies below
  std::vector<std::u16string> names_;  ///< the folders from root_ down to folder_
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
