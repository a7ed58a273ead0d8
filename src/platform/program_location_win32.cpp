#include "platform/windows_win32.h"

#include <string>

#include "platform/native_path_win32.h"
#include "platform/system_win32.h"

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

}  // namespace platform::win32
