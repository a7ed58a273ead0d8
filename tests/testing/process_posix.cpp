#include "testing/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <future>

namespace {

/// Everything written to the pipe until its last writer closes it.
std::string Drain(int descriptor) {
  std::string text;
  char buffer[65536];
  for (ssize_t count; (count = ::read(descriptor, buffer, sizeof buffer)) != 0;) {
    if (count > 0) text.append(buffer, static_cast<std::size_t>(count));
    if (count < 0 && errno != EINTR) break;
  }
  ::close(descriptor);
  return text;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& command,
                         const std::function<void(int pid)>& whileRunning) {
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
  std::vector<char*> argv;
  for (const auto& argument : command)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::open("/dev/null", O_RDONLY), 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  // Both pipes are drained at once so a child that fills one cannot block.
  auto errText = std::async(std::launch::async, Drain, err[0]);
  auto caller = std::async(std::launch::async, [&] {
    if (whileRunning) whileRunning(pid);
  });
  ProcessResult result{-1, Drain(out[0]), errText.get()};
  caller.get();
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}
