#pragma once

#include <cstdint>
#include <string>

/// What became of the configuration file in a run.
enum class ConfigurationState {
  NotYetRead,  ///< the run has not started
  Read,        ///< read to its end, or until the run was stopped
  Missing,     ///< no normal, visible file of that name
  Unreadable,  ///< it exists but could not be opened or read to its end
};

/// How a run went, for a front end to read once the run has returned.
struct RunOutcome {
  ConfigurationState Configuration = ConfigurationState::NotYetRead;
  std::int32_t ErrorsReported = 0;  ///< errors the run reported to its observer
  bool Stopped = false;             ///< the run was stopped before it ended
  std::int32_t LogLinesLost = 0;    ///< log lines that could not be written
  std::u16string LogFailure;        ///< why the first of them could not be written
  bool LogIsConfiguration = false;  ///< a log line was kept out of the configuration file
};
