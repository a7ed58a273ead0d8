#pragma once

#include "platform/windows_win32.h"

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"

namespace platform::win32 {

/// A handle of the system, closed when it goes.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() {
    if (Valid()) ::CloseHandle(handle_);
  }
  Handle(Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
  Handle& operator=(Handle&&) = delete;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  /// Whether the handle names something open.
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  /// The handle itself, still owned here.
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

/// Every sharing mode: the program never stands in the way of another one.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

/// Opens a file or folder at a long path for its attributes only; flags add to
/// FILE_FLAG_BACKUP_SEMANTICS (which lets a folder be opened).
inline Handle OpenAttributes(const std::wstring& longPath, DWORD flags) {
  return Handle(::CreateFileW(longPath.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

/// Volume serial number and file index of what the handle names; empty when the system does
/// not tell.
inline std::optional<FileIdentity> HandleIdentity(HANDLE handle, DWORD* attributes = nullptr) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) return std::nullopt;
  if (attributes != nullptr) *attributes = info.dwFileAttributes;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

}  // namespace platform::win32
