#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/term_byte_fold.h"
#include "search/term_forms.h"
#include "search/term_match_sink.h"
#include "search/term_matcher.h"
#include "search/term_pattern_set.h"
#include "search/term_scan_method.h"

/// Answers for a fixed list of terms which of them occur in a content, in one pass over it.
/// A term occurs when one of its forms stands contiguously in the content; overlapping
/// occurrences count. A term with an empty form occurs in every content that is not empty; a
/// term without forms occurs nowhere. The content may come in blocks of any size (Begin, Feed any
/// number of times, Finish): the scanner keeps the bytes an occurrence could span across a
/// block boundary, so the answers are those for the whole content. Building is the costly part;
/// scanning allocates nothing once the carried bytes have their room.
class TermScanner {
 public:
  /// Default bound on the automaton's dense rows (4-byte entries); states past it are sparse.
  static constexpr std::size_t kAutomatonEntries = std::size_t{1} << 19;

  /// Prepares the terms, each given by its forms, for a comparison through fold (the bytes the
  /// forms' units allow must be closed under it or are checked; see BuildPatternSet).
  TermScanner(const std::vector<std::vector<TermForm>>& terms, const ByteFold& fold,
              ScanMethod method = ScanMethod::Automatic,
              std::size_t automatonEntries = kAutomatonEntries);

  /// Prepares termCount terms whose forms have already been turned into patterns folded by fold.
  TermScanner(std::size_t termCount, PatternSet set, const ByteFold& fold,
              ScanMethod method = ScanMethod::Automatic,
              std::size_t automatonEntries = kAutomatonEntries);

  /// Starts a new content: forgets every finding.
  void Begin();
  /// Scans the next block of the content.
  void Feed(std::string_view block);
  /// Ends the content; the answers stay until the next Begin. Feeding again after Finish starts
  /// another stream of the same content: findings are kept, and no occurrence spans the two.
  void Finish();
  /// Records term as occurring, as if the content had held it.
  void Mark(std::size_t term) { sink_.Mark(static_cast<std::uint32_t>(term)); }
  /// Begin, Feed(content) and Finish.
  void Scan(std::string_view content) {
    Begin();
    Feed(content);
    Finish();
  }

  /// Whether term number term (as passed in) occurred in the content.
  bool Occurs(std::size_t term) const { return sink_.Has(static_cast<std::uint32_t>(term)); }
  /// The numbers of the terms that occurred, in no particular order.
  const std::vector<std::uint32_t>& FoundTerms() const { return sink_.Found(); }

  /// The method in use; never Automatic.
  ScanMethod Method() const { return method_; }
  /// Bytes kept from one block to the next: one less than the longest form.
  std::size_t CarryLength() const { return carryLength_; }

 private:
  void ScanBytes(std::string_view bytes);

  std::unique_ptr<const ByteFold> fold_;  ///< in place: the matchers refer to it
  std::vector<std::uint32_t> emptyTerms_;
  MatchSink sink_;
  std::unique_ptr<TermMatcher> matcher_;  ///< none when there is nothing to look for
  ScanMethod method_ = ScanMethod::NoPatterns;
  std::size_t carryLength_ = 0;
  bool contentNotEmpty_ = false;
  std::string carry_;  ///< the last carryLength_ bytes fed
  std::string seam_;   ///< carried bytes and the head of the next block
};
