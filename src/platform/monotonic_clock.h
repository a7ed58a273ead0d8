#pragma once

#include <cstdint>

namespace platform {

/// A monotonic clock in microseconds.
std::int64_t MonotonicMicroseconds();

}  // namespace platform
