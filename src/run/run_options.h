#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/system.h"
#include "search/read_limits.h"

/// Where the activity log goes.
enum class LogDestination {
  BesideProgram,  ///< program folder + base name + ".log", the path built anew for every line
  File,           ///< a file named by the front end
  None,           ///< nothing is written
};

/// What a front end chooses about a run, and the system the run works on. Built with
/// designated initializers, since the system is a reference: RunOptions{.System = fake}.
struct RunOptions {
  /// Every operating-system service the run uses.
  platform::System& System = platform::OperatingSystem();
  /// The file that stands in for the program: its folder holds the configuration and the log,
  /// and its base name names the window, the configuration and the log. Unset: the running
  /// executable.
  std::optional<std::u16string> ProgramPathOverride{};
  /// Replaces program folder + base name + ".cfg" as the configuration file when set.
  std::optional<std::u16string> ConfigFileOverride{};
  LogDestination Log = LogDestination::BesideProgram;
  std::u16string LogFile{};  ///< used with LogDestination::File
  /// How the search reads files (block size, read-ahead).
  ReadLimits Reading{};
  /// Files searched at once by worker threads; 0: as many as the machine has cores.
  std::int32_t SearchWorkers = 0;
  /// Where recognised text is kept between runs (a folder, UTF-8). Unset: the user's cache
  /// folder; empty: no cache, every scan is recognised anew.
  std::optional<std::string> RecognitionCacheFolder{};
  /// Seconds since the epoch for the cache's expiry; empty: the system clock.
  std::function<std::int64_t()> Clock{};
};
