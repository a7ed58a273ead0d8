#pragma once

#include <functional>
#include <string>
#include <vector>

/// What a finished child process left behind.
struct ProcessResult {
  int ExitStatus = -1;  ///< exit code, or 128 + signal number when killed by a signal
  std::string Out;
  std::string Err;
};

/// Runs a program with arguments (no shell), stdin from the null device, and collects its output.
/// whileRunning, if given, is called with the child's pid once it has started.
ProcessResult RunProcess(const std::vector<std::string>& command,
                         const std::function<void(int pid)>& whileRunning = {});
