#include "platform/windows_win32.h"

#include <future>

#include "platform/utf8.h"
#include "testing/process.h"

namespace {

/// One argument as the C runtime of the started program splits it back: in double quotes,
/// backslashes doubled where a quote follows them, quotes escaped.
std::wstring Quoted(const std::string& utf8) {
  const std::u16string argument = platform::FromUtf8(utf8);
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const char16_t character : argument) {
    if (character == u'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(character == u'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += static_cast<wchar_t>(character);
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

/// Everything written to the pipe until its last writer closes it.
std::string Drain(HANDLE pipe) {
  std::string text;
  char buffer[65536];
  DWORD count = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count > 0)
    text.append(buffer, count);
  ::CloseHandle(pipe);
  return text;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& command,
                         const std::function<void(int pid)>& whileRunning) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!::CreatePipe(&outRead, &outWrite, &inherit, 0) ||
      !::CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    return {};
  }
  // Only the child's ends are inherited.
  ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  const HANDLE nothing = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inherit, OPEN_EXISTING, 0, nullptr);
  std::wstring commandLine;
  for (const std::string& argument : command)
    commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  const bool started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  ::CloseHandle(nothing);
  if (!started) {
    ::CloseHandle(outRead);
    ::CloseHandle(errRead);
    return ProcessResult{127, {}, {}};
  }
  // Both pipes are drained at once so a child that fills one cannot block.
  auto errText = std::async(std::launch::async, Drain, errRead);
  auto caller = std::async(std::launch::async, [&] {
    if (whileRunning) whileRunning(static_cast<int>(process.dwProcessId));
  });
  ProcessResult result{-1, Drain(outRead), errText.get()};
  caller.get();
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(process.hProcess, &status);
  result.ExitStatus = static_cast<int>(status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return result;
}
