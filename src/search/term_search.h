#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/person_entry.h"

/// How search terms are compared with a file's content.
enum class CompareMode {
  Exact,       ///< bytes equal only when their codes are equal
  IgnoreCase,  ///< bytes equal when they fold alike through the code page's fold table
};

/// The search terms of all persons, prepared once per search run. Every distinct term is encoded
/// to the code page once (and folded when case is ignored); each person refers to its terms by
/// number. Per file, PrepareContent makes one content current and Occurs answers for any term
/// whether it stands in it, so a one-pass scanner for all terms can replace the per-term test
/// without touching the callers.
class TermSearch {
 public:
  /// Prepares the terms of persons 1 to the last of the table (slot 0 is not a person).
  TermSearch(const std::vector<PersonEntry>& persons, CompareMode mode);

  /// The comparison the terms were prepared for.
  CompareMode Mode() const { return mode_; }
  /// Number of persons prepared; they are numbered from 1.
  std::int32_t PersonCount() const { return static_cast<std::int32_t>(personTerms_.size()) - 1; }
  /// The term numbers of a person's search terms in written order; empty when it has none.
  const std::vector<std::int32_t>& TermsOf(std::int32_t person) const {
    return personTerms_[static_cast<std::size_t>(person)];
  }
  /// Number of distinct terms; term numbers run from 0 to one less.
  std::int32_t TermCount() const { return static_cast<std::int32_t>(patterns_.size()); }

  /// Storage reused for every file's content, so only one content is held at a time.
  std::string& ContentBuffer() { return buffer_; }

  /// Makes content the one Occurs answers for; it must stay unchanged while Occurs is asked.
  void PrepareContent(std::string_view content);
  /// True when the term stands contiguously in the current content. The empty term stands in
  /// every content of at least one byte; no term stands in the empty content.
  bool Occurs(std::int32_t term);

 private:
  /// One distinct term as bytes to compare, with its skip table for the substring search.
  struct Pattern {
    std::string Bytes;  ///< code page bytes, folded when case is ignored
    std::array<std::uint32_t, 256> Skip{};
  };
  enum class Answer : unsigned char { Unknown, Yes, No };

  /// The term's number, adding it to the distinct terms when it is new.
  std::int32_t TermNumber(std::string bytes);
  bool Contains(const Pattern& pattern) const;

  CompareMode mode_;
  std::vector<Pattern> patterns_;
  std::vector<std::vector<std::int32_t>> personTerms_;
  std::string_view content_;
  std::vector<Answer> answers_;  ///< per term, for the current content
  std::string buffer_;
};
