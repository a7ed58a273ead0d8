#include "shell/event_pacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

int DueCount(EventPacer& pacer, int points) {
  int due = 0;
  for (int point = 0; point < points; ++point)
    due += pacer.Due() ? 1 : 0;
  return due;
}

TEST(EventPacerTest, ProcessesEventsAtMostOncePerIntervalAndSoonAfterIt) {
  EventPacer pacer(15);
  EXPECT_TRUE(pacer.Due());
  // Dense points within the interval: the clock is read ever more rarely, never due.
  EXPECT_EQ(DueCount(pacer, 100000), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  // However far the stride grew, the interval's end is noticed within one stride of points.
  EXPECT_EQ(DueCount(pacer, 257), 1);
  EXPECT_EQ(DueCount(pacer, 1000), 0);
}

TEST(EventPacerTest, SparsePointsAreCheckedEveryTime) {
  EventPacer pacer(1);
  EXPECT_TRUE(pacer.Due());
  for (int i = 0; i < 3; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    EXPECT_TRUE(pacer.Due()) << i;
  }
}

}  // namespace
