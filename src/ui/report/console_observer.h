#pragma once

#include <atomic>
#include <chrono>
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
  explicit ConsoleObserver(std::string config) : ConsoleObserver(std::move(config), ownStop_) {}
  /// The same, stopping once stop is set: a flag that may be raised, from any thread, before
  /// this observer exists.
  ConsoleObserver(std::string config, const std::atomic<bool>& stop)
      : config_(std::move(config)), stop_(stop) {}

  /// Asks for the run to stop at its next checkpoint; callable from any thread.
  void RequestStop() { ownStop_.store(true, std::memory_order_relaxed); }

  /// Shows one progress line on stderr, rewritten in place, from now on.
  void ShowProgress() { progress_ = true; }
  /// Clears the progress line, if one is shown.
  void ClearProgress();

  void ErrorReported(std::u16string_view text, std::int32_t configurationLine) override;
  void FilesCounted(std::size_t files, double totalBytes) override;
  void SearchAdvanced(std::size_t filesDone, std::int64_t pagesRecognised) override;
  void ProgressChanged(double searched) override { searched_ = searched; }
  bool Checkpoint() override {
    return !ownStop_.load(std::memory_order_relaxed) && !stop_.load(std::memory_order_relaxed);
  }

  /// Every error reported, in order.
  const std::vector<ReportedError>& Errors() const { return errors_; }

 private:
  std::atomic<bool> ownStop_ = false;
  std::string config_;
  const std::atomic<bool>& stop_;
  std::vector<ReportedError> errors_;
  bool progress_ = false;
  bool lineShown_ = false;
  std::size_t files_ = 0;
  double totalBytes_ = 0;
  double searched_ = 0;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point shown_{};
};

/// The progress line: files done of all, megabytes searched of all, pages recognised, time
/// elapsed, and an estimate of the time left once a share is done.
std::string ProgressLine(std::size_t filesDone, std::size_t files, double searched,
                         double totalBytes, std::int64_t pages, double seconds);
