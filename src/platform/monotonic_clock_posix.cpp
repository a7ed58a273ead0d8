#include <time.h>

#include "platform/monotonic_clock.h"

namespace platform {

std::int64_t MonotonicMilliseconds() {
  timespec now{};
  // The coarse clock is read without a system call and is precise to a few milliseconds.
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace platform
