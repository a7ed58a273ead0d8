#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

/// Decides at a pending-message point whether queued events are really processed: at most once
/// per interval, and within about one interval of its end however the points are spaced. A
/// small ticker thread raises a flag once per interval, so a point costs two relaxed loads when
/// nothing is due (is the ticker asleep, is the flag raised). The ticker touches nothing else
/// and sleeps while nobody asks.
class EventPacer {
 public:
  explicit EventPacer(std::int64_t intervalMilliseconds = 15);
  ~EventPacer();
  EventPacer(const EventPacer&) = delete;
  EventPacer& operator=(const EventPacer&) = delete;

  /// True when events should be processed now; the next true comes an interval later.
  bool Due() {
    if (idle_.load(std::memory_order_relaxed)) WakeTicker();
    if (!due_.load(std::memory_order_relaxed)) return false;
    due_.store(false, std::memory_order_relaxed);
    return true;
  }

 private:
  void WakeTicker();
  void Tick();

  const std::chrono::milliseconds interval_;
  std::atomic<bool> due_{true};
  std::atomic<bool> idle_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread ticker_;
};
