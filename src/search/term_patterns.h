#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Pieces shared by the ways of searching a content for many literal terms at once.

/// How a term is compared with a content.
enum class TermMatching {
  Exact,       ///< bytes are equal only when their codes are equal
  IgnoreCase,  ///< bytes are compared through the code page's case-fold table
};

/// Maps every byte to the byte it is compared as.
using ByteFold = std::array<unsigned char, 256>;

/// The identity for exact matching, the code page's case-fold table otherwise.
const ByteFold& FoldFor(TermMatching matching);

/// True when the folded pattern stands at `at`, whose bytes are folded on the fly.
inline bool FoldedEqual(const ByteFold& fold, std::string_view pattern, const unsigned char* at) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (fold[at[i]] != static_cast<unsigned char>(pattern[i])) return false;
  }
  return true;
}

/// How often a byte stands in typical text, as a fraction; guides the choice of rare bytes.
double TextFrequency(unsigned char byte);

/// Which patterns one scan has found; sized once, so a scan allocates nothing.
class FoundPatterns {
 public:
  /// Makes room for count patterns, all not found.
  void Resize(std::size_t count) {
    found_.assign(count, 0);
    remaining_ = count;
  }
  /// Forgets every finding before the next scan.
  void Reset() {
    std::fill(found_.begin(), found_.end(), std::uint8_t{0});
    remaining_ = found_.size();
  }
  /// Records a pattern as found; true only for its first finding.
  bool Mark(std::uint32_t pattern) {
    if (found_[pattern] != 0) return false;
    found_[pattern] = 1;
    --remaining_;
    return true;
  }
  bool Has(std::uint32_t pattern) const { return found_[pattern] != 0; }
  bool AllFound() const { return remaining_ == 0; }

 private:
  std::vector<std::uint8_t> found_;
  std::size_t remaining_ = 0;
};
