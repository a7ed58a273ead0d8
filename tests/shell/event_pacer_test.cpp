#include "shell/event_pacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Asks at points spaced by gap until the pacer says due; the time that took.
Clock::duration TimeUntilDue(EventPacer& pacer, std::chrono::microseconds gap) {
  const auto start = Clock::now();
  while (!pacer.Due() && Clock::now() - start < std::chrono::seconds(5)) {
    if (gap.count() > 0) std::this_thread::sleep_for(gap);
  }
  return Clock::now() - start;
}

TEST(EventPacerTest, EventsAreDueOncePerIntervalHoweverThePointsAreSpaced) {
  EventPacer pacer(15);
  EXPECT_TRUE(pacer.Due());
  // Dense points, then slow ones: the end of an interval is noticed at the next point either way.
  for (const auto gap : {std::chrono::microseconds(0), std::chrono::microseconds(40000)}) {
    EXPECT_LT(TimeUntilDue(pacer, gap), std::chrono::seconds(1));
    const auto start = Clock::now();
    int due = 0;
    while (Clock::now() - start < std::chrono::milliseconds(60))
      due += pacer.Due() ? 1 : 0;
    // Four intervals fit, so four or five are due (the ticker may have raised the flag just
    // before); never one per point.
    EXPECT_GE(due, 1);
    EXPECT_LE(due, 6);
  }
  // After a long quiet time (the ticker asleep) the first point finds events due.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(pacer.Due());
}

}  // namespace
