#pragma once

#include <functional>
#include <memory>

namespace platform {

/// Hears the requests to end the program that come from outside it (SIGINT and SIGTERM on
/// Linux, a console control event on Windows) and runs a callback for each on a small thread
/// of its own, never inside a signal handler. The front end decides what a request does. One
/// instance at a time; the previous handling comes back when it goes.
class StopRequests {
 public:
  /// Starts listening; onRequest runs on the listening thread, once per request.
  explicit StopRequests(std::function<void()> onRequest);
  ~StopRequests();

  /// Whether a request has come since listening began. True as soon as it has come, before the
  /// callback has run: one that waited before the program listened is seen at once.
  bool Requested() const;
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
