#pragma once

#include <cstdint>

/// Decides at a pending-message point whether queued events are really processed: at most every
/// interval. Points in a hot loop come microseconds apart, so the clock is not read at every
/// point: the pacer counts points and reads the clock only every stride-th one, adapting the
/// stride so that a clock read happens roughly every quarter millisecond.
class EventPacer {
 public:
  explicit EventPacer(std::int64_t intervalMilliseconds = 15)
      : intervalMicroseconds_(intervalMilliseconds * 1000) {}

  /// True when events should be processed now; restarts the interval when it says so.
  bool Due() {
    if (--countdown_ > 0) return false;
    return CheckClock();
  }

 private:
  bool CheckClock();

  std::int64_t intervalMicroseconds_;
  std::int64_t next_ = 0;
  std::int64_t lastCheck_ = 0;
  std::int32_t stride_ = 1;
  std::int32_t countdown_ = 0;
};
