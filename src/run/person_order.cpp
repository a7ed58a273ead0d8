#include "run/person_order.h"

#include <algorithm>

namespace {

/// The row's counts in a tree of maxima over slots, so the first slot holding the largest count
/// is found and a slot changed in O(log n) each.
class SlotMaxima {
 public:
  explicit SlotMaxima(std::size_t slots) {
    while (leaves_ < slots)
      leaves_ *= 2;
    maxima_.assign(2 * leaves_, kEmpty);
  }

  void Set(std::size_t slot, std::int32_t count) {
    std::size_t node = leaves_ + slot;
    maxima_[node] = count;
    for (node /= 2; node >= 1; node /= 2)
      maxima_[node] = std::max(maxima_[2 * node], maxima_[2 * node + 1]);
  }

  /// The first slot whose count is the largest of all.
  std::size_t FirstLargest() const {
    std::size_t node = 1;
    while (node < leaves_)
      node = maxima_[2 * node] == maxima_[node] ? 2 * node : 2 * node + 1;
    return node - leaves_;
  }

  static constexpr std::int32_t kEmpty = -1;

 private:
  std::size_t leaves_ = 1;
  std::vector<std::int32_t> maxima_;
};

}  // namespace

std::vector<std::size_t> PickOrder(const std::vector<std::int32_t>& counts) {
  std::vector<std::size_t> row(counts.size());
  SlotMaxima maxima(counts.size());
  for (std::size_t slot = 0; slot < counts.size(); ++slot) {
    row[slot] = slot;
    maxima.Set(slot, counts[slot]);
  }
  std::vector<std::size_t> picked;
  picked.reserve(counts.size());
  for (std::size_t last = counts.size(); last-- > 0;) {
    const std::size_t slot = maxima.FirstLargest();
    picked.push_back(row[slot]);
    row[slot] = row[last];
    maxima.Set(slot, counts[row[slot]]);
    maxima.Set(last, SlotMaxima::kEmpty);
  }
  return picked;
}

std::vector<PersonId> PersonsByHits(const PersonTable& persons, const HitTable& hits) {
  std::vector<std::int32_t> counts(persons.Count());
  for (std::size_t person = 0; person < counts.size(); ++person)
    counts[person] = static_cast<std::int32_t>(hits.CountOf(IdOf<PersonId>(person)));
  std::vector<PersonId> order;
  order.reserve(counts.size());
  for (const std::size_t index : PickOrder(counts))
    order.push_back(IdOf<PersonId>(index));
  return order;
}
