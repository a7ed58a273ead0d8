#include "search/person_index.h"

std::int32_t PersonIndex::Find(const std::vector<PersonEntry>& persons,
                               const std::u16string& name) {
  // The table only grows during a run; a table that lost entries was started afresh.
  if (persons.size() < indexed_) *this = PersonIndex();
  for (; indexed_ < persons.size(); ++indexed_) {
    // try_emplace keeps an earlier number: the first person of a name is the one found.
    numbers_.try_emplace(persons[indexed_].Name, static_cast<std::int32_t>(indexed_));
  }
  const auto found = numbers_.find(name);
  return found == numbers_.end() ? 0 : found->second;
}
