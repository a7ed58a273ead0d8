#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/person_entry.h"
#include "search/term_scanner.h"

/// The search terms of all persons, prepared once per search run. Every distinct term is encoded
/// to the code page once; each person refers to its terms by number. Per file, PrepareContent
/// finds in one pass over the content which terms stand in it, and Occurs answers from that.
class TermSearch {
 public:
  /// Prepares the terms of persons 1 to the last of the table (slot 0 is not a person).
  TermSearch(const std::vector<PersonEntry>& persons, TermMatching matching);

  /// The comparison the terms were prepared for.
  TermMatching Matching() const { return matching_; }
  /// Number of persons prepared; they are numbered from 1.
  std::int32_t PersonCount() const { return static_cast<std::int32_t>(personTerms_.size()) - 1; }
  /// The term numbers of a person's search terms in written order; empty when it has none.
  const std::vector<std::int32_t>& TermsOf(std::int32_t person) const {
    return personTerms_[static_cast<std::size_t>(person)];
  }
  /// Number of distinct terms; term numbers run from 0 to one less.
  std::int32_t TermCount() const { return static_cast<std::int32_t>(scanner_.TermCount()); }

  /// Storage reused for every file's content, so only one content is held at a time.
  std::string& ContentBuffer() { return buffer_; }

  /// Scans content once for every term; Occurs then answers for it.
  void PrepareContent(std::string_view content) { scanner_.Scan(content); }
  /// True when the term stands contiguously in the prepared content. The empty term stands in
  /// every content of at least one byte; no term stands in the empty content.
  bool Occurs(std::int32_t term) const { return scanner_.Occurs(static_cast<std::size_t>(term)); }

 private:
  TermMatching matching_;
  std::vector<std::vector<std::int32_t>> personTerms_;
  TermScanner scanner_;
  std::string buffer_;
};
