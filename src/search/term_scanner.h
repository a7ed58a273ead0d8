#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/term_automaton.h"
#include "search/term_fingerprints.h"
#include "search/term_patterns.h"

/// How a TermScanner looks for its terms; Automatic picks the fastest for the term set.
enum class ScanMethod {
  Automatic,
  NoPatterns,            ///< only empty terms: nothing to look for
  SingleByte,            ///< one term: memchr for its rarest byte, then a comparison
  Fingerprints,          ///< a few terms: vector fingerprint test, then comparisons
  PortableFingerprints,  ///< the same test one position at a time
  Automaton,             ///< many terms: a dense Aho-Corasick automaton
};

/// Answers for a fixed list of terms which of them occur in a content, in one pass over it.
/// A term occurs when its bytes stand contiguously in the content, compared exactly or through
/// the case-fold table; overlapping occurrences count. An empty term occurs in every content that
/// is not empty. Building is the costly part; Scan allocates nothing.
class TermScanner {
 public:
  /// Default bound on the table size of one automaton (4-byte entries); more terms get several.
  static constexpr std::size_t kAutomatonEntries = std::size_t{4} << 20;

  /// Prepares the terms (bytes, repeats and empty terms allowed) for the given matching.
  TermScanner(const std::vector<std::string>& terms, TermMatching matching,
              ScanMethod method = ScanMethod::Automatic,
              std::size_t automatonEntries = kAutomatonEntries);

  /// Finds which terms occur in content; stops reading once every distinct term is found.
  void Scan(std::string_view content);

  /// Whether term number termIndex (as passed in) occurred in the last scanned content.
  bool Occurs(std::size_t termIndex) const;

  /// Number of terms as passed in.
  std::size_t TermCount() const { return termPattern_.size(); }

  /// The method in use; never Automatic.
  ScanMethod Method() const { return method_; }

  /// Number of automata the terms were split into (0 unless the method is Automaton).
  std::size_t AutomatonCount() const { return automata_.size(); }

 private:
  static constexpr std::uint32_t kEmptyTerm = 0xFFFFFFFFu;

  void PrepareSingleByte();
  void BuildAutomata(std::size_t automatonEntries);
  void ScanSingleByte(std::string_view content);

  const ByteFold* fold_;
  std::vector<std::uint32_t> termPattern_;  ///< per term: its distinct pattern, or kEmptyTerm
  std::vector<std::string> patterns_;       ///< distinct non-empty terms, folded
  ScanMethod method_ = ScanMethod::NoPatterns;
  FoundPatterns found_;
  bool contentNotEmpty_ = false;
  // SingleByte: the pattern's rarest byte and where it stands.
  unsigned char anchorByte_ = 0;
  std::size_t anchorOffset_ = 0;
  std::optional<TermFingerprints> fingerprints_;
  std::vector<TermAutomaton> automata_;
};
