#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "search/person_entry.h"

/// Finds a person by name without comparing it with every person. The index follows the person
/// table, which only grows during a run: each lookup first takes in the entries appended since
/// the previous one. Whoever starts the table afresh starts its index afresh too.
class PersonIndex {
 public:
  /// Number (from 1) of the first person in persons whose Name equals name exactly; 0 if none.
  std::int32_t Find(const std::vector<PersonEntry>& persons, const std::u16string& name);

 private:
  std::unordered_map<std::u16string, std::int32_t> numbers_;
  std::size_t indexed_ = 1;  ///< entries 1 to indexed_ - 1 are in numbers_
};
