#include "platform/windows_win32.h"

#include <algorithm>
#include <limits>

#include "platform/handle_win32.h"
#include "platform/native_path_win32.h"
#include "platform/system_win32.h"
#include "platform/win32_error_win32.h"

namespace platform::win32 {
namespace {

/// The most one ReadFile call is asked for.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

class Win32ReadableFile : public ReadableFile {
 public:
  Win32ReadableFile(Handle file, std::int64_t length) : file_(std::move(file)), length_(length) {}

  std::optional<SystemError> Read(char* buffer, std::size_t size, std::size_t& count) override {
    // Every read names its offset, so a ReadAt on another thread cannot move this one.
    const std::optional<SystemError> failure = ReadAt(position_, buffer, size, count);
    position_ += static_cast<std::int64_t>(count);
    return failure;
  }

  std::optional<SystemError> ReadAt(std::int64_t offset, char* buffer, std::size_t size,
                                    std::size_t& count) override {
    count = 0;
    if (offset < 0) return ErrorFromCode(ERROR_NEGATIVE_SEEK);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD read = 0;
    const auto chunk = static_cast<DWORD>(std::min(size, kMaxChunk));
    if (!::ReadFile(file_.Get(), buffer, chunk, &read, &at)) {
      const DWORD code = ::GetLastError();
      // Reading at or past the end is no failure: it gives nothing.
      if (code == ERROR_HANDLE_EOF) return std::nullopt;
      return ErrorFromCode(code);
    }
    count = read;
    return std::nullopt;
  }

  std::int64_t Length() const override { return length_; }

 private:
  Handle file_;
  std::int64_t length_;
  std::int64_t position_ = 0;
};

/// The attributes of what path names (a link itself, not what it leads to); none when it is
/// not there.
std::optional<DWORD> AttributesOf(const std::u16string& path) {
  const std::wstring full = LongPath(path);
  if (full.empty()) return std::nullopt;
  const DWORD attributes = ::GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

}  // namespace

bool IsRegularFile(const std::u16string& path) {
  const std::optional<DWORD> attributes = AttributesOf(path);
  if (!attributes.has_value() || (*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      (*attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    return false;
  }
  if ((*attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  // A link counts when it leads to a file.
  const Handle target = OpenAttributes(LongPath(path), 0);
  DWORD targetAttributes = 0;
  return target.Valid() && HandleIdentity(target.Get(), &targetAttributes).has_value() &&
         (targetAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsHidden(const std::u16string& path) {
  const std::optional<DWORD> attributes = AttributesOf(path);
  return attributes.has_value() &&
         (*attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

std::optional<FileIdentity> IdentityOf(const std::u16string& path) {
  const std::wstring full = LongPath(path);
  if (full.empty()) return std::nullopt;
  const Handle handle = OpenAttributes(full, 0);
  if (!handle.Valid()) return std::nullopt;
  return HandleIdentity(handle.Get());
}

std::unique_ptr<ReadableFile> OpenForReading(const std::u16string& path,
                                             std::optional<SystemError>& failure) {
  failure.reset();
  const std::wstring full = LongPath(path);
  if (full.empty()) {
    failure = ErrorFromCode(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  // Others may go on reading, writing, renaming and deleting the file while it is searched.
  Handle file(::CreateFileW(full.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) {
    failure = LastError();
    return nullptr;
  }
  // Only a file on a disk is read: a pipe or device found in its place is refused.
  LARGE_INTEGER length{};
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK || !::GetFileSizeEx(file.Get(), &length)) {
    failure = ErrorFromCode(ERROR_INVALID_FUNCTION);
    return nullptr;
  }
  return std::make_unique<Win32ReadableFile>(std::move(file), length.QuadPart);
}

std::optional<SystemError> AppendToFile(const std::u16string& path, std::string_view bytes,
                                        std::optional<FileIdentity> protectedFile) {
  const std::wstring full = LongPath(path);
  if (full.empty()) return ErrorFromCode(ERROR_PATH_NOT_FOUND);
  if (bytes.size() > std::numeric_limits<DWORD>::max())
    return ErrorFromCode(ERROR_NOT_ENOUGH_MEMORY);
  const Handle file(::CreateFileW(full.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return LastError();
  // The file is compared once it is open, so no link made meanwhile can lead the bytes into it.
  if (protectedFile.has_value()) {
    const std::optional<FileIdentity> opened = HandleIdentity(file.Get());
    if (!opened.has_value() || *opened == *protectedFile) return FileProtectedError();
  }
  // One write at the end of the file (the offset all ones means "the end"), so the line lands
  // whole even when another program appends at the same time.
  OVERLAPPED end{};
  end.Offset = 0xFFFFFFFFu;
  end.OffsetHigh = 0xFFFFFFFFu;
  DWORD written = 0;
  const auto size = static_cast<DWORD>(bytes.size());
  if (::WriteFile(file.Get(), bytes.data(), size, &written, &end) && written == size) {
    return std::nullopt;
  }
  const SystemError failure = written < size && ::GetLastError() == ERROR_SUCCESS
                                  ? ErrorFromCode(ERROR_HANDLE_DISK_FULL)
                                  : LastError();
  // A part of a line would glue the next line to it: cut the file back to where it began.
  LARGE_INTEGER length{};
  if (written > 0 && ::GetFileSizeEx(file.Get(), &length) && length.QuadPart >= written) {
    FILE_END_OF_FILE_INFO cut{};
    cut.EndOfFile.QuadPart = length.QuadPart - written;
    ::SetFileInformationByHandle(file.Get(), FileEndOfFileInfo, &cut, sizeof cut);
  }
  return failure;
}

std::optional<SystemError> DeleteFile(const std::u16string& path) {
  const std::wstring full = LongPath(path);
  if (full.empty()) return ErrorFromCode(ERROR_FILE_NOT_FOUND);
  if (!::DeleteFileW(full.c_str())) return LastError();
  return std::nullopt;
}

}  // namespace platform::win32
