#include "browse/pick_order.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The picks done one by one: scan the row for the first largest count, refill its slot with the
// row's last entry.
std::vector<std::size_t> PickOneByOne(const std::vector<std::int32_t>& counts) {
  std::vector<std::size_t> row(counts.size());
  for (std::size_t slot = 0; slot < row.size(); ++slot)
    row[slot] = slot;
  std::vector<std::size_t> picked;
  for (std::size_t remaining = row.size(); remaining > 0; --remaining) {
    std::size_t chosen = 0;
    for (std::size_t slot = 1; slot < remaining; ++slot) {
      if (counts[row[slot]] > counts[row[chosen]]) chosen = slot;
    }
    picked.push_back(row[chosen]);
    row[chosen] = row[remaining - 1];
  }
  return picked;
}

TEST(PickOrderTest, AgreesWithPickingOneByOne) {
  const struct {
    std::vector<std::int32_t> counts;
    std::vector<std::size_t> picked;
  } cases[] = {
      {{}, {}},
      {{7}, {0}},
      {{0, 0, 0, 0}, {0, 3, 2, 1}},        // ties: the last entry moves to the front
      {{2, 1, 1, 1, 0}, {0, 1, 3, 2, 4}},  // the refill brings a smaller count forward
      {{0, 0, 5}, {2, 0, 1}},              // a pick in the last slot refills nothing
  };
  for (const auto& c : cases)
    EXPECT_EQ(PickOrder(c.counts), c.picked);

  // Sizes around powers of two, few distinct counts so that ties abound.
  std::mt19937 random(7);
  for (std::size_t size = 1; size <= 70; ++size) {
    std::vector<std::int32_t> counts(size);
    for (std::int32_t& count : counts)
      count = static_cast<std::int32_t>(random() % (size % 3 + 2));
    EXPECT_EQ(PickOrder(counts), PickOneByOne(counts)) << size;
  }
}

}  // namespace
