#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "run/run_observer.h"

/// An error the run reported, as the report lists it.
struct ReportedError {
  std::u16string Text;
  std::int32_t Line = 0;  ///< the configuration line it concerns; 0 for none
};

/// Shows a run on the console: errors become lines on stderr in the form compilers use
/// ("<config>:<line>: <text>", or "<config>: <text>" for the file as a whole), and a checkpoint
/// only looks for a stop request.
class ConsoleObserver : public RunObserver {
 public:
  /// An observer whose messages name config, the configuration file as given.
  explicit ConsoleObserver(std::string config) : config_(std::move(config)) {}

  /// Asks for the run to stop at its next checkpoint; callable from any thread.
  void RequestStop() { stopRequested_.store(true, std::memory_order_relaxed); }

  void ErrorReported(std::u16string_view text, std::int32_t configurationLine) override;
  bool Checkpoint() override { return !stopRequested_.load(std::memory_order_relaxed); }

  /// Every error reported, in order.
  const std::vector<ReportedError>& Errors() const { return errors_; }

 private:
  std::string config_;
  std::atomic<bool> stopRequested_ = false;
  std::vector<ReportedError> errors_;
};
