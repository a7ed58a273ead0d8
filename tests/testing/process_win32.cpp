#include "platform/windows_win32.h"

#include "platform/utf8.h"
#include "testing/process.h"

namespace {

/// One argument as the C runtime of the started program splits it back: in double quotes,
/// backslashes doubled where a quote follows them, quotes escaped.
std::wstring Quoted(const std::string& utf8) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;  // those that end quoted so far
  for (const char16_t character : platform::FromUtf8(utf8)) {
    if (character == u'"') quoted.append(backslashes + 1, L'\\');
    backslashes = character == u'\\' ? backslashes + 1 : 0;
    quoted += static_cast<wchar_t>(character);
  }
  return quoted.append(backslashes, L'\\') + L"\"";
}

/// A new temporary file the child inherits, deleted when the last handle to it is closed.
HANDLE TemporaryFile(SECURITY_ATTRIBUTES& inherit) {
  wchar_t folder[MAX_PATH] = {}, name[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  ::GetTempFileNameW(folder, L"out", 0, name);
  return ::CreateFileW(
      name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

/// Everything written into the file, which is closed then.
std::string ContentsOf(HANDLE file) {
  std::string text(::GetFileSize(file, nullptr), '\0');
  DWORD count = 0;
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  ::ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &count, nullptr);
  ::CloseHandle(file);
  text.resize(count);
  return text;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& command,
                         const std::function<void(int pid)>& whileRunning) {
  std::wstring commandLine;
  for (const std::string& argument : command)
    commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(argument);
  // The output goes into files, so a child that writes much need not wait for a reader.
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inherit, OPEN_EXISTING, 0, nullptr);
  startup.hStdOutput = TemporaryFile(inherit);
  startup.hStdError = TemporaryFile(inherit);
  PROCESS_INFORMATION process{};
  DWORD status = 127;
  if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &process)) {
    if (whileRunning) whileRunning(static_cast<int>(process.dwProcessId));
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(startup.hStdInput);
  return {static_cast<int>(status), ContentsOf(startup.hStdOutput), ContentsOf(startup.hStdError)};
}
