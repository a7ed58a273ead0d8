#include "shell/event_pacer.h"

#include "platform/monotonic_clock.h"

bool EventPacer::Due() {
  const std::int64_t now = platform::MonotonicMilliseconds();
  if (now < next_) return false;
  next_ = now + interval_;
  return true;
}
