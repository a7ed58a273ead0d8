#include "shell/event_pacer.h"

#include <algorithm>

#include "platform/monotonic_clock.h"

namespace {

// Points closer than this together let the stride grow; points further apart shrink it.
constexpr std::int64_t kDenseMicroseconds = 250;
constexpr std::int64_t kSparseMicroseconds = 1000;
// The stride stays small enough that a sudden run of slow points cannot hold events back long.
constexpr std::int32_t kMaximumStride = 256;

}  // namespace

bool EventPacer::CheckClock() {
  const std::int64_t now = platform::MonotonicMicroseconds();
  const std::int64_t elapsed = now - lastCheck_;
  if (elapsed < kDenseMicroseconds) {
    stride_ = std::min(stride_ * 2, kMaximumStride);
  } else if (elapsed > kSparseMicroseconds) {
    stride_ = std::max(stride_ / 4, 1);
  }
  lastCheck_ = now;
  countdown_ = stride_;
  if (now < next_) return false;
  next_ = now + intervalMicroseconds_;
  return true;
}
