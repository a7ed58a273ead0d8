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
  EXPECT_EQ(DueCount(pacer, 100000), 0);  // dense points: the clock is read ever more rarely
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(DueCount(pacer, 257), 1);  // however far the stride grew, the end is noticed soon
  EXPECT_EQ(DueCount(pacer, 1000), 0);
  EventPacer sparse(1);  // sparse points are checked every time
  EXPECT_TRUE(sparse.Due());
  std::this_thread::sleep_for(std::chrono::milliseconds(3));
  EXPECT_TRUE(sparse.Due());
}

}  // namespace
