#include "shell/event_pacer.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(EventPacerTest, ProcessesEventsAtMostOncePerIntervalAndSoonAfterIt) {
  const auto due = [](EventPacer& pacer, int points) {
    int count = 0;
    for (int point = 0; point < points; ++point)
      count += pacer.Due() ? 1 : 0;
    return count;
  };
  EventPacer pacer(15), sparse(1);
  EXPECT_EQ(due(pacer, 100000), 1);  // dense points: the clock is read ever more rarely
  EXPECT_EQ(due(sparse, 1), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(due(pacer, 257), 1);  // however far the stride grew, the end is noticed soon
  EXPECT_EQ(due(pacer, 1000), 0);
  EXPECT_EQ(due(sparse, 1), 1);  // sparse points are checked every time
}

}  // namespace
