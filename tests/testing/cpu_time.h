#pragma once

#include <time.h>

/// Processor time the calling thread has used, in seconds. Bounds on work measured this way hold
/// however busy the machine is, unlike bounds on the time that passed.
inline double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}
