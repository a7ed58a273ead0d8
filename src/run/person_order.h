#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "search/person_table.h"

/// The order of the list sort: entries stand in a row in index order; each pick takes the first
/// entry in the row with the largest count, and the row's last entry then fills the picked slot.
/// Returns the indices of counts (each at least 0) in the order they are picked, in O(n log n).
std::vector<std::size_t> PickOrder(const std::vector<std::int32_t>& counts);

/// The persons as "Liste sortieren" orders them: most hits first, ties in pick order (so equal
/// counts do not keep their declaration order).
std::vector<PersonId> PersonsByHits(const PersonTable& persons, const HitTable& hits);
