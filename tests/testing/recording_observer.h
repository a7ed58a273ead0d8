#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "run/run_observer.h"
#include "run/run_session.h"

/// An error as the run reported it: its text and its configuration line.
using RecordedError = std::pair<std::u16string, std::int32_t>;

/// Records the errors a run reports, and runs scripted user actions at chosen checkpoints: the
/// headless stand-in for a window.
class RecordingObserver : public RunObserver {
 public:
  using Action = std::function<void(RunSession&)>;

  void Attach(RunSession& session) { session_ = &session; }
  /// Runs action at the n-th checkpoint (counting from 1).
  void At(int checkpoint, Action action) { actions_[checkpoint].push_back(std::move(action)); }

  void ErrorReported(std::u16string_view text, std::int32_t line) override {
    Errors.emplace_back(text, line);
  }
  bool Checkpoint() override {
    for (auto& action : actions_[++checkpoints_])
      action(*session_);
    return true;
  }

  std::vector<RecordedError> Errors;  ///< every error reported, in order

 private:
  RunSession* session_ = nullptr;
  std::map<int, std::vector<Action>> actions_;
  int checkpoints_ = 0;
};

/// Stops the run as a user's close of the window would: the session ends.
inline RecordingObserver::Action UserCloses() {
  return [](RunSession& session) { session.End(); };
}
