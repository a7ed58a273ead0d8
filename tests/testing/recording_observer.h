#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
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

  void StatusChanged(std::u16string_view /*status*/) override { NoteThread(); }
  void ErrorReported(std::u16string_view text, std::int32_t line) override {
    NoteThread();
    Errors.emplace_back(text, line);
  }
  bool Checkpoint() override {
    NoteThread();
    for (auto& action : actions_[++checkpoints_])
      action(*session_);
    return true;
  }

  std::vector<RecordedError> Errors;  ///< every error reported, in order
  /// Calls that came on another thread than the one the observer was made on: a window may
  /// only be touched on its own thread.
  std::atomic<int> CallsOffThread{0};

 private:
  void NoteThread() {
    if (std::this_thread::get_id() != home_) ++CallsOffThread;
  }

  std::thread::id home_ = std::this_thread::get_id();
  RunSession* session_ = nullptr;
  std::map<int, std::vector<Action>> actions_;
  int checkpoints_ = 0;
};

/// Stops the run as a user's close of the window would: the session ends.
inline RecordingObserver::Action UserCloses() {
  return [](RunSession& session) { session.End(); };
}
