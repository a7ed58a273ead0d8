#include "run/person_order.h"

#include <gtest/gtest.h>

namespace {

// Each pick takes the first entry in the row with the largest count, and the row's last entry
// fills the picked slot: equal counts do not keep their order.
TEST(PersonOrderTest, PicksTakeTheFirstLargestAndRefillFromTheEnd) {
  const struct {
    std::vector<std::int32_t> counts;
    std::vector<std::size_t> picked;
  } cases[] = {
      {{}, {}},
      {{7}, {0}},
      {{0, 0, 0, 0}, {0, 3, 2, 1}},        // ties: the last entry moves to the front
      {{2, 1, 1, 1, 0}, {0, 1, 3, 2, 4}},  // the refill brings a smaller count forward
      {{0, 0, 5}, {2, 0, 1}},              // a pick in the last slot refills nothing
      {{1, 0, 1, 0, 1, 0, 1, 0, 1}, {0, 8, 2, 6, 4, 7, 3, 5, 1}},  // one past a power of two
      {{3, 1, 2, 2, 1, 3, 0, 1, 2}, {0, 5, 8, 2, 3, 1, 4, 7, 6}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PickOrder(c.counts), c.picked) << c.counts.size();
}

}  // namespace
