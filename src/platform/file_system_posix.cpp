#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

#include "platform/file_system.h"
#include "platform/native_path.h"

namespace platform {
namespace {

int OpenForReading(const std::u16string& path) {
  int descriptor = -1;
  do {
    // Non-blocking, so a FIFO put in a file's place cannot hold the open (and the program) forever.
    descriptor = ::open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

}  // namespace

bool IsRegularFile(const std::u16string& path) {
  struct stat info {};
  if (::stat(ToNativePath(path).c_str(), &info) != 0) return false;
  return S_ISREG(info.st_mode);
}

bool IsHiddenFile(const std::u16string& path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  const std::size_t start = slash == std::u16string::npos ? 0 : slash + 1;
  return start < path.size() && path[start] == u'.';
}

bool IsSameFile(const std::u16string& first, const std::u16string& second) {
  struct stat one {};
  struct stat other {};
  if (::stat(ToNativePath(first).c_str(), &one) != 0) return false;
  if (::stat(ToNativePath(second).c_str(), &other) != 0) return false;
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

void AppendToFile(const std::u16string& path, std::string_view bytes) {
  const int descriptor = ::open(ToNativePath(path).c_str(),
                                O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (descriptor < 0) return;
  // One write call per line: with O_APPEND the line lands whole at the end.
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    written += static_cast<std::size_t>(count);
  }
  ::close(descriptor);
}

std::optional<SystemError> ReadWholeFile(const std::u16string& path, std::string& content) {
  content.clear();
  InputFile file;
  if (auto error = file.Open(path)) return error;
  const std::int64_t length = file.Length();
  if (static_cast<std::uint64_t>(length) > content.max_size()) return SystemErrorFromErrno(ENOMEM);
  try {
    content.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    content.clear();
    content.shrink_to_fit();
    return SystemErrorFromErrno(ENOMEM);
  }
  // The length taken at the start is what is read; a file that shrank meanwhile ends early.
  std::size_t used = 0;
  while (used < content.size()) {
    std::size_t count = 0;
    if (auto error = file.Read(content.data() + used, content.size() - used, count)) {
      content.clear();
      return error;
    }
    if (count == 0) break;
    used += count;
  }
  content.resize(used);
  return std::nullopt;
}

std::optional<SystemError> DeleteFile(const std::u16string& path) {
  if (::unlink(ToNativePath(path).c_str()) != 0) return SystemErrorFromErrno(errno);
  return std::nullopt;
}

InputFile::InputFile(InputFile&& other) noexcept
    : descriptor_(other.descriptor_), length_(other.length_) {
  other.descriptor_ = -1;
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = other.descriptor_;
    length_ = other.length_;
    other.descriptor_ = -1;
  }
  return *this;
}

InputFile::~InputFile() {
  Close();
}

std::optional<SystemError> InputFile::Open(const std::u16string& path) {
  Close();
  descriptor_ = OpenForReading(path);
  if (descriptor_ < 0) return SystemErrorFromErrno(errno);
  // Only a normal file is read: a folder, FIFO, socket or device found in its place is refused.
  struct stat info {};
  if (::fstat(descriptor_, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
    Close();
    return SystemErrorFromErrno(error);
  }
  // O_NONBLOCK stays set: reads of a normal file ignore it.
  length_ = info.st_size;
  return std::nullopt;
}

std::optional<SystemError> InputFile::Read(char* buffer, std::size_t size, std::size_t& count) {
  count = 0;
  for (;;) {
    const ssize_t result = ::read(descriptor_, buffer, size);
    if (result >= 0) {
      count = static_cast<std::size_t>(result);
      return std::nullopt;
    }
    if (errno != EINTR) return SystemErrorFromErrno(errno);
  }
}

void InputFile::Close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

}  // namespace platform
