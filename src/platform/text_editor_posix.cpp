#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/errno_error_posix.h"
#include "platform/native_path_posix.h"
#include "platform/system_posix.h"

namespace platform::posix {
namespace {

/// Full path of an executable normal file of this name in a PATH folder, empty when none is.
/// Relative PATH entries (the empty one included) are skipped: they would run whatever program
/// of that name lies in the current folder.
std::string FindOnPath(std::string_view name) {
  const char* variable = std::getenv("PATH");
  std::string_view folders = variable != nullptr ? variable : "/usr/bin:/bin";
  for (;;) {
    const std::size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    if (!folder.empty() && folder.front() == '/') {
      std::string candidate(folder);
      candidate += '/';
      candidate += name;
      struct stat info {};
      if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
          ::access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    if (colon == std::string_view::npos) return {};
    folders.remove_prefix(colon + 1);
  }
}

/// Runs in the grandchild: a clean start for the editor, then the program itself. Only
/// async-signal-safe calls, since the parent may have other threads.
[[noreturn]] void ExecuteDetached(const char* program, char* const* arguments, long maxDescriptor) {
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal)
    ::sigaction(signal, &standard, nullptr);

  const int nothing = ::open("/dev/null", O_RDWR);
  if (nothing >= 0) {
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(nothing, STDOUT_FILENO);
    ::dup2(nothing, STDERR_FILENO);
  }
  // Descriptors the window left open without close-on-exec are no business of the editor.
  if (::close_range(3, ~0U, 0) != 0) {
    for (long descriptor = 3; descriptor < maxDescriptor; ++descriptor) {
      ::close(static_cast<int>(descriptor));
    }
  }
  ::execv(program, arguments);
  ::_exit(127);
}

}  // namespace

std::optional<SystemError> StartTextEditor(const std::u16string& path) {
  std::string program = FindOnPath("notepad");
  std::string name = "notepad";
  if (program.empty()) {
    program = FindOnPath("xdg-open");
    name = "xdg-open";
  }
  if (program.empty()) return SystemError{ErrorKind::NotFound, u"Kein Texteditor gefunden"};

  // A relative path starting with "-" would be taken for an option.
  std::string argument = ToNativePath(path);
  if (!argument.empty() && argument.front() == '-') argument.insert(0, "./");
  char* const arguments[] = {name.data(), argument.data(), nullptr};
  const long openMax = ::sysconf(_SC_OPEN_MAX);
  const long maxDescriptor = openMax > 0 && openMax < 65536 ? openMax : 65536;

  // Started from a child that ends at once, the editor is adopted by init: nobody has to wait
  // for it and it never lingers as a zombie of this process.
  const pid_t child = ::fork();
  if (child < 0) return ErrorFromErrno(errno);
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) ExecuteDetached(program.c_str(), arguments, maxDescriptor);
    ::_exit(0);
  }
  while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  return std::nullopt;
}

}  // namespace platform::posix
