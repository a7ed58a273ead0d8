#include "testing/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include <algorithm>
#include <thread>

namespace {

std::string Drain(int descriptor) {
  std::string text;
  char buffer[65536];
  ssize_t count = 0;
  while ((count = ::read(descriptor, buffer, sizeof buffer)) > 0 || (count < 0 && errno == EINTR))
    text.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
  ::close(descriptor);
  return text;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& command,
                         const std::function<void(int pid)>& whileRunning) {
  int out[2];
  int err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
  std::vector<char*> argv;
  for (const auto& argument : command)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  ProcessResult result;
  // Both pipes are drained at once so a child that fills one cannot block.
  std::thread errReader([&] { result.Err = Drain(err[0]); });
  std::thread caller([&] {
    if (whileRunning) whileRunning(pid);
  });
  result.Out = Drain(out[0]);
  errReader.join();
  caller.join();
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}
