#include "platform/windows_win32.h"

#include <string>

#include "platform/native_path_win32.h"
#include "platform/system_win32.h"
#include "platform/win32_error_win32.h"

namespace platform::win32 {

std::u16string ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    // A path that did not fit comes back cut to the buffer's size.
    if (length < buffer.size()) {
      buffer.resize(length);
      // A program started through a long path may be named in the long form.
      if (buffer.starts_with(L"\\\\?\\UNC\\")) buffer = L"\\\\" + buffer.substr(8);
      if (buffer.starts_with(L"\\\\?\\")) buffer.erase(0, 4);
      return Narrow(buffer);
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string CurrentFolder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring buffer(size, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(size, buffer.data());
  if (length == 0 || length >= size) return u"C:\\";
  buffer.resize(length);
  if (buffer.back() != L'\\') buffer += L'\\';
  return Narrow(buffer);
}

std::optional<std::u16string> EnvironmentVariable(std::u16string_view name) {
  const std::wstring wide = Wide(name);
  const DWORD size = ::GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring buffer(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(wide.c_str(), buffer.data(), size);
  if (length >= size) return std::nullopt;
  buffer.resize(length);
  return Narrow(buffer);
}

std::u16string HomeFolder() {
  std::u16string home = EnvironmentVariable(u"USERPROFILE").value_or(u"");
  while (home.size() > 3 && home.back() == u'\\')
    home.pop_back();
  return home;
}

bool CanCreateFilesIn(const std::u16string& path) {
  // Windows says whether a folder takes new files only by trying: a file that disappears when
  // its handle closes.
  const std::wstring probe =
      LongPath(path + u"fundort-" + Narrow(std::to_wstring(::GetCurrentProcessId())) + u".tmp");
  if (probe.empty()) return false;
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

std::optional<SystemError> CreateFolders(const std::u16string& path) {
  // Each folder from the top down; those that exist are passed over.
  for (std::size_t at = path.find_first_of(u"\\/", 3); at != std::u16string::npos;
       at = path.find_first_of(u"\\/", at + 1)) {
    const std::wstring folder = LongPath(path.substr(0, at));
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      return LastError();
    }
  }
  return std::nullopt;
}

}  // namespace platform::win32
