#include "search/term_search.h"

#include <algorithm>
#include <unordered_map>

#include "support/field_list.h"

namespace {

/// How many persons or terms are prepared between two questions whether to go on.
constexpr std::size_t kAskEvery = 256;

/// Whether preparing goes on at the count-th person or term; asks only every kAskEvery.
bool GoOn(std::size_t count, const TermSearch::KeepGoing& keepGoing) {
  return count % kAskEvery != 0 || !keepGoing || keepGoing();
}

}  // namespace

/// The distinct terms of all persons, and each person's term numbers.
TermSearch::CollectedTerms TermSearch::CollectTerms(const std::vector<Person>& persons,
                                                    const KeepGoing& keepGoing) {
  CollectedTerms collected;
  std::vector<std::u16string>& distinct = collected.distinct;
  std::vector<std::vector<std::int32_t>>& personTerms = collected.personTerms;
  personTerms.assign(persons.size(), {});
  std::unordered_map<std::u16string, std::int32_t> known;
  for (std::size_t person = 0; person < persons.size(); ++person) {
    if (!GoOn(person + 1, keepGoing)) {
      collected.complete = false;
      break;
    }
    for (const std::u16string_view field : SplitFields(persons[person].Terms, u"|")) {
      std::u16string term(field);
      // Persons often share terms; each distinct one is looked for once per file.
      const auto [entry, added] =
          known.try_emplace(term, static_cast<std::int32_t>(distinct.size()));
      if (added) distinct.push_back(std::move(term));
      personTerms[person].push_back(entry->second);
    }
  }
  return collected;
}

namespace {

// Every form of every term, as patterns, without holding all forms at once. A stopped
// preparation takes no more terms.
PatternSet Patterns(const std::vector<std::u16string>& terms, TermMatching matching,
                    const CodePage& codePage, ByteForms forms,
                    const TermSearch::KeepGoing& keepGoing, bool& complete) {
  PatternSetBuilder builder(ScanFoldFor(matching, codePage, forms));
  for (std::uint32_t term = 0; complete && term < terms.size(); ++term) {
    if (!GoOn(term + 1, keepGoing)) {
      complete = false;
      break;
    }
    for (const TermForm& form : EncodeTermForms(terms[term], matching, codePage, forms))
      builder.Add(term, form);
  }
  return builder.Take();
}

}  // namespace

TermSearch::TermSearch(const std::vector<Person>& persons, TermMatching matching,
                       const CodePage& codePage, ByteForms forms, const KeepGoing& keepGoing)
    : TermSearch(CollectTerms(persons, keepGoing), matching, codePage, forms, keepGoing) {}

TermSearch::TermSearch(CollectedTerms collected, TermMatching matching, const CodePage& codePage,
                       ByteForms forms, const KeepGoing& keepGoing)
    : complete_(collected.complete),
      personTerms_(std::move(collected.personTerms)),
      termPersons_(collected.distinct.size()),
      scanner_(collected.distinct.size(),
               Patterns(collected.distinct, matching, codePage, forms, keepGoing, complete_),
               ScanFoldFor(matching, codePage, forms)) {
  for (std::size_t person = 0; person < personTerms_.size(); ++person) {
    const auto number = static_cast<std::int32_t>(person);
    if (personTerms_[person].empty()) termless_.push_back(number);
    for (const std::int32_t term : personTerms_[person]) {
      auto& list = termPersons_[static_cast<std::size_t>(term)];
      if (list.empty() || list.back() != number) list.push_back(number);
    }
  }
  seen_.assign(personTerms_.size(), 0);
}

const std::vector<std::int32_t>& TermSearch::PersonsToVisit() {
  ++visit_;
  found_.clear();
  for (const std::uint32_t term : scanner_.FoundTerms()) {
    for (const std::int32_t person : termPersons_[term]) {
      std::uint32_t& seen = seen_[static_cast<std::size_t>(person)];
      if (seen == visit_) continue;
      seen = visit_;
      found_.push_back(person);
    }
  }
  std::sort(found_.begin(), found_.end());
  toVisit_.clear();
  std::merge(found_.begin(), found_.end(), termless_.begin(), termless_.end(),
             std::back_inserter(toVisit_));
  return toVisit_;
}
