#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "testing/process.h"

namespace {

/// Everything written into the file, which is closed then.
std::string ContentsOf(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int character; (character = std::fgetc(file)) != EOF;)
    text += static_cast<char>(character);
  std::fclose(file);
  return text;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& command,
                         const std::function<void(int pid)>& whileRunning) {
  std::vector<char*> argv;
  for (const auto& argument : command)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // The output goes into files, so a child that writes much need not wait for a reader.
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  if (out == nullptr || err == nullptr) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::open("/dev/null", O_RDONLY), 0);
    ::dup2(::fileno(out), 1);
    ::dup2(::fileno(err), 2);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (whileRunning) whileRunning(pid);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ContentsOf(out),
          ContentsOf(err)};
}
