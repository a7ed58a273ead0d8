#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "search/person_table.h"
#include "search/term_forms.h"
#include "search/term_scanner.h"

/// The search terms of all persons, prepared once per search run. Every distinct term is encoded
/// once into every enabled byte form; each person refers to its terms by number. Per file, the
/// content is fed through Begin, Feed and Finish, which find in one pass which terms stand in it;
/// Occurs answers from that, and PersonsToVisit names the persons the file can concern.
class TermSearch {
 public:
  /// Asked now and then while many terms are prepared; false stops the preparation.
  using KeepGoing = std::function<bool()>;

  /// Prepares the terms of every person of the table (numbered from 0), in the given byte forms;
  /// the code page gives the single-byte form and its case classes. When keepGoing answers false,
  /// the preparation stops early and Complete() is false.
  TermSearch(const std::vector<Person>& persons, TermMatching matching, const CodePage& codePage,
             ByteForms forms = ByteForms::AnsiOnly(), const KeepGoing& keepGoing = {});

  /// False when the preparation was stopped: the search then lacks terms and must not be used.
  bool Complete() const { return complete_; }

  /// Number of persons prepared; they are numbered from 0.
  std::int32_t PersonCount() const { return static_cast<std::int32_t>(personTerms_.size()); }
  /// The term numbers of a person's search terms in written order; empty when it has none.
  const std::vector<std::int32_t>& TermsOf(std::int32_t person) const {
    return personTerms_[static_cast<std::size_t>(person)];
  }

  /// Starts a new content.
  void Begin() { scanner_.Begin(); }
  /// Scans the next block of the content.
  void Feed(std::string_view block) { scanner_.Feed(block); }
  /// Ends the content; Occurs and PersonsToVisit then answer for it. Feeding again afterwards
  /// adds another stream to the same content: findings are kept, none spans the two.
  void Finish() { scanner_.Finish(); }
  /// Counts the terms found by other, prepared from the same persons, as found here too.
  void Include(const TermSearch& other) {
    for (const std::uint32_t term : other.scanner_.FoundTerms())
      scanner_.Mark(term);
  }

  /// True when the term stands contiguously in the content in one of its forms. The empty term
  /// stands in every content of at least one byte; no term stands in the empty content.
  bool Occurs(std::int32_t term) const { return scanner_.Occurs(static_cast<std::size_t>(term)); }

  /// In ascending order, every person with a term that occurs in the content and every person
  /// without terms: the only persons the content can give a hit. Costs what the content found,
  /// not the number of persons.
  const std::vector<std::int32_t>& PersonsToVisit();

 private:
  struct CollectedTerms {
    std::vector<std::u16string> distinct;
    std::vector<std::vector<std::int32_t>> personTerms;
    bool complete = true;  ///< false when the collection was stopped
  };
  static CollectedTerms CollectTerms(const std::vector<Person>& persons,
                                     const KeepGoing& keepGoing);
  TermSearch(CollectedTerms collected, TermMatching matching, const CodePage& codePage,
             ByteForms forms, const KeepGoing& keepGoing);

  bool complete_ = true;
  std::vector<std::vector<std::int32_t>> personTerms_;
  std::vector<std::vector<std::int32_t>> termPersons_;  ///< per term: its persons, ascending
  std::vector<std::int32_t> termless_;                  ///< persons without terms, ascending
  TermScanner scanner_;
  std::vector<std::uint32_t> seen_;  ///< per person: the visit that last listed it
  std::uint32_t visit_ = 0;
  std::vector<std::int32_t> found_;
  std::vector<std::int32_t> toVisit_;
};
