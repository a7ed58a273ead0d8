#include "platform/windows_win32.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "platform/console.h"
#include "platform/native_path_win32.h"
#include "platform/utf8.h"

namespace platform {
namespace {

/// The console's output code page before the program changed it; 0 when unchanged.
UINT gPreviousOutputCodePage = 0;

void RestoreOutputCodePage() {
  ::SetConsoleOutputCP(gPreviousOutputCodePage);
}

}  // namespace

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> result;
  if (arguments == nullptr) return result;
  for (int i = 1; i < count; ++i)
    result.push_back(ToUtf8(win32::Narrow(arguments[i])));
  ::LocalFree(arguments);
  return result;
}

void PrepareStandardOutput() {
  // The C library would write CR LF for every LF; a pipe gets the same bytes as on Linux.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  // A console shows the bytes as UTF-8 while the program runs, and the code page it had
  // afterwards; a pipe or file is not touched.
  DWORD mode = 0;
  if (::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
      ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode)) {
    const UINT previous = ::GetConsoleOutputCP();
    if (previous != CP_UTF8 && previous != 0 && ::SetConsoleOutputCP(CP_UTF8)) {
      gPreviousOutputCodePage = previous;
      std::atexit(RestoreOutputCodePage);
    }
  }
}

bool StandardErrorIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

}  // namespace platform
