#include "platform/win32_error_win32.h"

#include <string>

#include "platform/native_path_win32.h"

namespace platform::win32 {
namespace {

ErrorKind KindOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_DIRECTORY:
      return ErrorKind::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return ErrorKind::AccessDenied;
    default:
      return ErrorKind::Other;
  }
}

}  // namespace

SystemError ErrorFromCode(DWORD code) {
  wchar_t* buffer = nullptr;
  // Language 0: the thread's, the user's or the system's language, whichever has the text.
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (length != 0 && buffer != nullptr) text = Narrow(std::wstring_view(buffer, length));
  if (buffer != nullptr) ::LocalFree(buffer);
  // The system's texts end in a line break, which would break the log line.
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
    text.pop_back();
  }
  if (text.empty()) {
    const std::string number = std::to_string(code);
    text = u"Systemfehler " + std::u16string(number.begin(), number.end());
  }
  return SystemError{KindOf(code), std::move(text)};
}

SystemError LastError() {
  return ErrorFromCode(::GetLastError());
}

}  // namespace platform::win32
