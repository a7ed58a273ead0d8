#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

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

}  // namespace

std::optional<SystemError> DeleteFoundFile(const FoundFile& file) {
  if (file.Names.empty() || HoldsNul(file.Root)) return ErrorFromErrno(ENOENT);
  // The root is opened as the walk opened it; below it every folder must still be a folder
  // and not a link, or the walk would never have entered it.
  constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;
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
  const FileIdentity now{static_cast<std::uint64_t>(info.st_dev),
                         static_cast<std::uint64_t>(info.st_ino)};
  if (S_ISDIR(info.st_mode) || (file.Identity.has_value() && *file.Identity != now)) {
    return FileReplacedError();
  }
  if (::unlinkat(folder.Get(), native.c_str(), 0) != 0) return ErrorFromErrno(errno);
  return std::nullopt;
}

}  // namespace platform::posix
