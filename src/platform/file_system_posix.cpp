#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

#include "platform/errno_error_posix.h"
#include "platform/mapped_bytes_posix.h"
#include "platform/native_path_posix.h"
#include "platform/system_posix.h"

namespace platform::posix {
namespace {

class PosixReadableFile : public ReadableFile {
 public:
  PosixReadableFile(int descriptor, std::int64_t length)
      : descriptor_(std::make_shared<const Descriptor>(descriptor)), length_(length) {}

  std::optional<SystemError> Read(char* buffer, std::size_t size, std::size_t& count) override {
    count = 0;
    for (;;) {
      const ssize_t result = ::read(descriptor_->Get(), buffer, size);
      if (result >= 0) {
        count = static_cast<std::size_t>(result);
        return std::nullopt;
      }
      if (errno != EINTR) return ErrorFromErrno(errno);
    }
  }

  std::optional<SystemError> ReadAt(std::int64_t offset, char* buffer, std::size_t size,
                                    std::size_t& count) override {
    count = 0;
    if (offset < 0) return ErrorFromErrno(EINVAL);
    for (;;) {
      const ssize_t result = ::pread(descriptor_->Get(), buffer, size, static_cast<off_t>(offset));
      if (result >= 0) {
        count = static_cast<std::size_t>(result);
        return std::nullopt;
      }
      if (errno != EINTR) return ErrorFromErrno(errno);
    }
  }

  std::int64_t Length() const override { return length_; }

  void WillRead() override {
    // Only a hint, and only the first bytes: what follows is fetched ahead as it is read.
    constexpr std::int64_t kFirstBytes = std::int64_t{2} << 20;
    [[maybe_unused]] const int advised =
        ::posix_fadvise(descriptor_->Get(), 0, static_cast<off_t>(std::min(length_, kFirstBytes)),
                        POSIX_FADV_WILLNEED);
  }

  std::unique_ptr<MappedBytes> Map(std::int64_t offset, std::size_t size) override {
    return MapFilePart(descriptor_, offset, size);
  }

 private:
  // Shared with the file's mappings, which look at the file's length after a fault.
  std::shared_ptr<const Descriptor> descriptor_;
  std::int64_t length_;
};

}  // namespace

bool IsRegularFile(const std::u16string& path) {
  struct stat info {};
  if (::stat(ToNativePath(path).c_str(), &info) != 0) return false;
  return S_ISREG(info.st_mode);
}

std::optional<FileIdentity> IdentityOf(const std::u16string& path) {
  struct stat info {};
  if (::stat(ToNativePath(path).c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

std::int64_t RegularFileLength(int descriptor, FileIdentity& identity,
                               std::optional<SystemError>& failure) {
  // Only a normal file is read: a folder, FIFO, socket or device found in its place is refused.
  // O_NONBLOCK stays set: reads of a normal file ignore it.
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    failure = ErrorFromErrno(S_ISDIR(info.st_mode) ? EISDIR : ENXIO);
    ::close(descriptor);
    return -1;
  }
  identity = FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                          static_cast<std::uint64_t>(info.st_ino)};
  return static_cast<std::int64_t>(info.st_size);
}

std::unique_ptr<ReadableFile> ReadableOfLength(int descriptor, std::int64_t length) {
  // A file of more than one read is read from start to end: the kernel may read further ahead
  // than usual. A smaller one is read in one call, where the hint would only cost a call. Only
  // a hint; a failure changes nothing.
  constexpr std::int64_t kOneRead = std::int64_t{1} << 20;
  if (length > kOneRead) {
    [[maybe_unused]] const int advised = ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  return std::make_unique<PosixReadableFile>(descriptor, length);
}

std::unique_ptr<ReadableFile> ReadableFromDescriptor(int descriptor, FileIdentity& identity,
                                                     std::optional<SystemError>& failure) {
  const std::int64_t length = RegularFileLength(descriptor, identity, failure);
  return length < 0 ? nullptr : ReadableOfLength(descriptor, length);
}

std::unique_ptr<ReadableFile> OpenForReading(const std::u16string& path,
                                             std::optional<SystemError>& failure) {
  failure.reset();
  int descriptor = -1;
  do {
    // Non-blocking, so a FIFO put in a file's place cannot hold the open (and the program) forever.
    descriptor = ::open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) {
    failure = ErrorFromErrno(errno);
    return nullptr;
  }
  FileIdentity identity;
  return ReadableFromDescriptor(descriptor, identity, failure);
}

std::optional<SystemError> AppendToFile(const std::u16string& path, std::string_view bytes,
                                        std::optional<FileIdentity> protectedFile) {
  const int descriptor = ::open(ToNativePath(path).c_str(),
                                O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (descriptor < 0) return ErrorFromErrno(errno);
  // The file is compared once it is open, so no link made meanwhile can lead the bytes into it.
  if (protectedFile.has_value()) {
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 ||
        *protectedFile == FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                                       static_cast<std::uint64_t>(info.st_ino)}) {
      ::close(descriptor);
      return FileProtectedError();
    }
  }
  // One write call per line: with O_APPEND the line lands whole at the end. Only a write that
  // a signal cut short is continued; a full disk makes the next call report why.
  std::optional<SystemError> failure;
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      failure = ErrorFromErrno(count < 0 ? errno : EIO);
      break;
    }
    written += static_cast<std::size_t>(count);
  }
  // A part of a line would glue the next line to it: cut the file back to where it began.
  if (failure && written > 0) {
    const off_t end = ::lseek(descriptor, 0, SEEK_CUR);
    if (end >= static_cast<off_t>(written)) {
      [[maybe_unused]] const int ignored =
          ::ftruncate(descriptor, end - static_cast<off_t>(written));
    }
  }
  ::close(descriptor);
  return failure;
}

std::optional<SystemError> DeleteFile(const std::u16string& path) {
  if (::unlink(ToNativePath(path).c_str()) != 0) return ErrorFromErrno(errno);
  return std::nullopt;
}

}  // namespace platform::posix
