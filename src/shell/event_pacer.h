#pragma once

#include <cstdint>

/// Decides at a pending-message point whether queued events are really processed: at most
/// every interval, so a point in a hot loop costs a clock read when nothing is due.
class EventPacer {
 public:
  explicit EventPacer(std::int64_t intervalMilliseconds = 15) : interval_(intervalMilliseconds) {}

  /// True when events should be processed now; restarts the interval when it says so.
  bool Due();

 private:
  std::int64_t interval_;
  std::int64_t next_ = 0;
};
