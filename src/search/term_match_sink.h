#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "search/term_forms.h"

/// A term's whole form, checked at a place where one of its patterns (a prefix of it, or the
/// form folded more loosely than it compares) occurs.
class FormCheck {
 public:
  /// Checks for form.
  explicit FormCheck(const TermForm& form);
  /// True when the form stands at data[start], within data[0, size).
  bool Matches(const unsigned char* data, std::size_t size, std::size_t start) const;
  /// Length of the longest byte string the form can match.
  std::size_t LongestMatch() const { return longest_; }

 private:
  std::vector<std::string> alternatives_;  ///< every unit's strings, unit after unit
  std::vector<std::uint32_t> unitEnd_;     ///< per unit: one past its last string
  std::size_t longest_ = 0;
};

/// What an occurrence of a pattern means: the term it stands for, and the check it needs.
struct PatternOutput {
  static constexpr std::uint32_t kNoCheck = 0xFFFFFFFFu;
  std::uint32_t term;
  std::uint32_t check;  ///< index of a FormCheck, or kNoCheck: the occurrence is the term's
};

/// Receives the occurrences the matchers find in one content and keeps which terms were found.
/// Resetting costs what the last content found, not the number of terms.
class MatchSink {
 public:
  /// For termCount terms; pattern p stands for outputs[outputStart[p], outputStart[p + 1]).
  MatchSink(std::size_t termCount, std::vector<std::uint32_t> outputStart,
            std::vector<PatternOutput> outputs, std::vector<FormCheck> checks);

  /// Forgets every finding before the next content.
  void Reset();
  /// Pattern occurs at data[start]; records its terms; true once every findable term is found.
  bool Report(std::uint32_t pattern, const unsigned char* data, std::size_t size,
              std::size_t start) {
    if (Resolved(pattern)) return AllFound();
    return ReportSlow(pattern, data, size, start);
  }
  /// Records term as found (also one that no pattern stands for, such as an empty term).
  void Mark(std::uint32_t term);
  /// True when every term pattern stands for is found: its occurrences add nothing.
  bool Resolved(std::uint32_t pattern) const { return resolved_[pattern] != 0; }
  /// True when every term that has a pattern is found.
  bool AllFound() const { return remaining_ == 0; }
  /// Whether term was found.
  bool Has(std::uint32_t term) const { return found_[term] != 0; }
  /// The terms found, in the order they were found.
  const std::vector<std::uint32_t>& Found() const { return foundList_; }

 private:
  bool ReportSlow(std::uint32_t pattern, const unsigned char* data, std::size_t size,
                  std::size_t start);

  std::vector<std::uint32_t> outputStart_;  ///< pattern p: outputs_[start[p], start[p + 1])
  std::vector<PatternOutput> outputs_;
  std::vector<FormCheck> checks_;
  std::vector<std::uint32_t> termPatternStart_;  ///< term t: termPatterns_[start[t], start[t + 1])
  std::vector<std::uint32_t> termPatterns_;      ///< the patterns that stand for each term
  std::vector<std::uint8_t> resolved_;           ///< per pattern: every term of it found
  std::vector<std::uint32_t> resolvedList_;
  std::vector<std::uint8_t> found_;
  std::vector<std::uint8_t> findableTerm_;  ///< per term: whether some pattern stands for it
  std::vector<std::uint32_t> foundList_;
  std::size_t findable_ = 0;
  std::size_t remaining_ = 0;
};
