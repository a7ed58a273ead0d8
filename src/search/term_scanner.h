#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
  // The long-term searchers refer to the terms held here: moving keeps them, copying would not.
  TermScanner(const TermScanner&) = delete;
  TermScanner& operator=(const TermScanner&) = delete;
  TermScanner(TermScanner&&) = default;
  TermScanner& operator=(TermScanner&&) = default;

  /// Finds which terms occur in content; stops reading once every distinct term is found.
  void Scan(std::string_view content);

  /// Whether term number termIndex (as passed in) occurred in the last scanned content.
  bool Occurs(std::size_t termIndex) const {
    const std::uint32_t pattern = termPattern_[termIndex];
    return pattern == kEmptyTerm ? contentNotEmpty_ : found_.Has(pattern);
  }

  /// Number of terms as passed in.
  std::size_t TermCount() const { return termPattern_.size(); }

  /// The method in use; never Automatic.
  ScanMethod Method() const { return method_; }

  /// Number of automata the terms were split into (0 unless the method is Automaton); terms too
  /// long for one automaton of the allowed size are searched one by one.
  std::size_t AutomatonCount() const { return automata_.size(); }

 private:
  static constexpr std::uint32_t kEmptyTerm = 0xFFFFFFFFu;

  struct FoldHash {
    const ByteFold* fold;
    std::size_t operator()(char byte) const { return (*fold)[static_cast<unsigned char>(byte)]; }
  };
  struct FoldEqual {
    const ByteFold* fold;
    bool operator()(char a, char b) const {
      return (*fold)[static_cast<unsigned char>(a)] == (*fold)[static_cast<unsigned char>(b)];
    }
  };
  using LongSearcher =
      std::boyer_moore_horspool_searcher<std::string::const_iterator, FoldHash, FoldEqual>;
  struct LongPattern {
    std::uint32_t id;
    LongSearcher searcher;  ///< refers to the bytes in patterns_
  };

  void PrepareSingleByte(double rateLimit);
  void BuildAutomata(std::size_t automatonEntries);
  void ScanSingleByte(std::string_view content);
  void ScanLongPatterns(std::string_view content);

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
  std::vector<LongPattern> longPatterns_;  ///< patterns too long for an automaton
};
