#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/errno_error_posix.h"
#include "platform/native_path_posix.h"
#include "platform/system_posix.h"

namespace platform::posix {

std::u16string ExecutablePath() {
  std::string buffer(4096, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return FromNativePath(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string CurrentFolder() {
  std::string buffer(4096, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    // A working folder that was removed meanwhile has no path; the root stands in for it.
    if (errno != ERANGE) return u"/";
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  if (buffer.empty() || buffer.back() != '/') buffer += '/';
  return FromNativePath(buffer);
}

std::u16string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    std::string path(home);
    while (path.size() > 1 && path.back() == '/')
      path.pop_back();
    return FromNativePath(path);
  }
  // Without HOME (a service, a stripped environment) the user database says where it is.
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return FromNativePath(entry->pw_dir);
  }
  return {};
}

std::optional<std::u16string> EnvironmentVariable(std::u16string_view name) {
  const char* value = std::getenv(ToNativePath(name).c_str());
  if (value == nullptr) return std::nullopt;
  return FromNativePath(value);
}

bool CanCreateFilesIn(const std::u16string& path) {
  return ::access(ToNativePath(path).c_str(), W_OK | X_OK) == 0;
}

std::optional<SystemError> CreateFolders(const std::u16string& path) {
  const std::string native = ToNativePath(path);
  // Each folder from the top down; those that exist are passed over.
  for (std::size_t slash = native.find('/', 1); slash != std::string::npos;
       slash = native.find('/', slash + 1)) {
    const std::string folder = native.substr(0, slash);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return ErrorFromErrno(errno);
  }
  if (!native.empty() && native.back() != '/' && ::mkdir(native.c_str(), 0700) != 0 &&
      errno != EEXIST) {
    return ErrorFromErrno(errno);
  }
  struct stat status {};
  if (::stat(native.c_str(), &status) != 0) return ErrorFromErrno(errno);
  if (!S_ISDIR(status.st_mode)) return ErrorFromErrno(ENOTDIR);
  return std::nullopt;
}

}  // namespace platform::posix
