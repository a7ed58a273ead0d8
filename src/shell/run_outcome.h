#pragma once

#include <cstdint>

/// What became of the configuration file in a run.
enum class ConfigurationState {
  NotYetRead,  ///< the run has not started
  Read,        ///< read to its end, or until the window was closed
  Missing,     ///< no normal, visible file of that name
  Unreadable,  ///< it exists but could not be opened or read to its end
};

/// How a run went, for a front end to read once the run has returned.
struct RunOutcome {
  ConfigurationState Configuration = ConfigurationState::NotYetRead;
  std::int32_t MessagesShown = 0;  ///< "Fehler" boxes shown so far
  bool Stopped = false;            ///< the window was closed before the run ended
};
