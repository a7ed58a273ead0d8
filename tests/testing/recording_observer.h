#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "run/run_observer.h"
#include "run/run_session.h"

/// An error as the run reported it.
struct RecordedError {
  std::u16string Text;
  std::int32_t Line = 0;
  bool operator==(const RecordedError&) const = default;
};

/// Records what a run tells, and runs scripted user actions at chosen checkpoints: the headless
/// stand-in for a window.
class RecordingObserver : public RunObserver {
 public:
  using Action = std::function<void(RunSession&)>;

  /// The session that scripted actions act on.
  void Attach(RunSession& session) { session_ = &session; }
  /// Runs action at the n-th checkpoint (counting from 1).
  void At(int checkpoint, Action action) { actions_[checkpoint].push_back(std::move(action)); }

  void StatusChanged(std::u16string_view status) override { Statuses.emplace_back(status); }
  void PersonAdded(PersonId person) override { PersonsAdded.push_back(person); }
  void HitAdded(PersonId person, FileId file) override { Hits.emplace_back(person, file); }
  void ErrorReported(std::u16string_view text, std::int32_t line) override {
    Errors.push_back({std::u16string(text), line});
  }
  bool Checkpoint() override {
    for (auto& action : actions_[++Checkpoints])
      action(*session_);
    return true;
  }

  std::vector<std::u16string> Statuses;              ///< every status text, in order
  std::vector<PersonId> PersonsAdded;                 ///< every person added, in order
  std::vector<std::pair<PersonId, FileId>> Hits;      ///< every hit told, in order
  std::vector<RecordedError> Errors;                  ///< every error reported, in order
  int Checkpoints = 0;                                ///< checkpoints passed

 private:
  RunSession* session_ = nullptr;
  std::map<int, std::vector<Action>> actions_;
};

/// Stops the run as a user's close of the window would: the session ends.
inline RecordingObserver::Action UserCloses() {
  return [](RunSession& session) { session.End(); };
}
