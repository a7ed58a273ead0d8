#include "search/term_search.h"

#include <unordered_map>

#include "platform/code_page.h"
#include "support/text_code.h"

namespace {

/// The distinct terms of all persons as code page bytes; fills in each person's term numbers.
std::vector<std::string> CollectTerms(const std::vector<PersonEntry>& persons,
                                      std::vector<std::vector<std::int32_t>>& personTerms) {
  std::vector<std::string> distinct;
  personTerms.assign(persons.empty() ? 1 : persons.size(), {});
  std::unordered_map<std::string, std::int32_t> known;
  for (std::size_t person = 1; person < persons.size(); ++person) {
    for (const std::u16string_view term : SplitFields(persons[person].Terms, u"|")) {
      std::string bytes = platform::EncodeCodePage(term);
      // Persons often share terms; each distinct one is looked for once per file.
      const auto [entry, added] =
          known.try_emplace(bytes, static_cast<std::int32_t>(distinct.size()));
      if (added) distinct.push_back(std::move(bytes));
      personTerms[person].push_back(entry->second);
    }
  }
  return distinct;
}

}  // namespace

TermSearch::TermSearch(const std::vector<PersonEntry>& persons, TermMatching matching)
    : matching_(matching), scanner_(CollectTerms(persons, personTerms_), matching) {}
