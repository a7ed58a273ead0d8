#pragma once

#include <cstdint>

namespace platform {

/// A cheap monotonic clock in milliseconds, coarse (a few milliseconds) but fast to read.
std::int64_t MonotonicMilliseconds();

}  // namespace platform
