#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "search/term_byte_fold.h"
#include "search/term_matcher.h"

/// The byte of a pattern that memchr looks for: one with a single raw form, rarest in text.
struct SingleByteAnchor {
  unsigned char byte;
  std::size_t offset;  ///< where it stands in the pattern
  double rate;         ///< how often it stands in typical text
};

/// The rarest byte of pattern (folded by fold) that only one raw byte folds to; none when every
/// byte has case variants.
std::optional<SingleByteAnchor> FindAnchor(const std::string& pattern, const ByteFold& fold);

/// Finds one pattern by memchr for its anchor byte and a folded comparison around each one.
class SingleByteMatcher final : public TermMatcher {
 public:
  /// Looks for pattern number 0 of the sink, folded by fold, through its anchor.
  SingleByteMatcher(std::string pattern, const ByteFold& fold, const SingleByteAnchor& anchor);
  void Scan(const unsigned char* data, std::size_t size, MatchSink& sink) override;

 private:
  std::string pattern_;
  const ByteFold& fold_;
  SingleByteAnchor anchor_;
};
