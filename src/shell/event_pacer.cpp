#include "shell/event_pacer.h"

namespace {

// After this many intervals in which nobody took the flag the ticker sleeps until asked again.
constexpr int kIdleIntervals = 8;

}  // namespace

EventPacer::EventPacer(std::int64_t intervalMilliseconds)
    : interval_(intervalMilliseconds), ticker_([this] { Tick(); }) {}

EventPacer::~EventPacer() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  ticker_.join();
}

void EventPacer::WakeTicker() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    idle_.store(false, std::memory_order_relaxed);
  }
  wake_.notify_one();
}

void EventPacer::Tick() {
  std::unique_lock<std::mutex> lock(mutex_);
  int untaken = 0;
  while (!stopping_) {
    if (wake_.wait_for(lock, interval_, [this] { return stopping_; })) break;
    if (!due_.load(std::memory_order_relaxed)) {
      untaken = 0;
    } else if (++untaken >= kIdleIntervals) {
      // Nobody is asking: sleep until a point asks again (the flag stays raised for it).
      idle_.store(true, std::memory_order_relaxed);
      wake_.wait(lock, [this] { return stopping_ || !idle_.load(std::memory_order_relaxed); });
      // The point that woke the ticker took the raised flag; the next comes an interval later.
      untaken = 0;
      continue;
    }
    due_.store(true, std::memory_order_relaxed);
  }
}
