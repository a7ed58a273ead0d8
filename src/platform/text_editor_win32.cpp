#include "platform/windows_win32.h"

#include <string>

#include "platform/native_path_win32.h"
#include "platform/system_win32.h"
#include "platform/win32_error_win32.h"

namespace platform::win32 {

std::optional<SystemError> StartTextEditor(const std::u16string& path) {
  // The command line is the word, one blank and the path in double quotes, nothing else; the
  // system finds notepad on its search path.
  std::wstring commandLine = L"notepad \"" + Wide(path) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return LastError();
  }
  // Nobody waits for the editor: its handles are dropped at once.
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return std::nullopt;
}

}  // namespace platform::win32
