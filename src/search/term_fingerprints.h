#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/term_byte_fold.h"
#include "search/term_matcher.h"

/// Whether the fingerprint test may use the processor's vector instructions.
enum class FingerprintSimd { WhenAvailable, Never };

/// Finds a few patterns without stepping through the content byte by byte: each pattern is
/// represented by the run of consecutive bytes, as long as the shortest pattern but at most three,
/// that is rarest in typical text; all runs are tested at 32 positions at once through nibble
/// tables (eight pattern buckets, one bit each), and bytes are compared only where a run fits.
/// Fast while fingerprints are rare in the content.
class TermFingerprints final : public TermMatcher {
 public:
  /// True when this processor runs the vector test.
  static bool VectorTestAvailable();

  /// Prepares the patterns (folded, non-empty, distinct, at most kMaxPatterns); ids are the
  /// numbers under which their findings are marked.
  TermFingerprints(const std::vector<std::string>& patterns, const std::vector<std::uint32_t>& ids,
                   const ByteFold& fold, FingerprintSimd simd);

  /// Reports the occurrences of patterns not yet resolved; stops once every term is found.
  void Scan(const unsigned char* data, std::size_t size, MatchSink& sink) override;

  /// Estimated share of content positions where a fingerprint fits by chance in typical text.
  double CandidateRate() const { return candidateRate_; }

  static constexpr std::size_t kMaxPatterns = 64;

 private:
  static constexpr int kBuckets = 8;
  using Masks = std::array<std::array<unsigned char, 16>, 6>;  ///< low and high nibble per byte

  struct Entry {
    std::uint32_t pattern;  ///< index into patterns_
    std::uint32_t offset;   ///< where the window starts in the pattern
  };

  unsigned int BucketsAt(const unsigned char* at) const;
  bool Check(const unsigned char* data, std::size_t size, std::size_t position, MatchSink& sink);
  void DropResolvedBuckets(const MatchSink& sink);
  double EstimateCandidateRate() const;

  std::vector<std::string> patterns_;
  std::vector<std::uint32_t> ids_;
  const ByteFold* fold_;
  int window_ = 1;
  bool vector_ = false;
  std::vector<Entry> entries_;                             ///< grouped by bucket
  std::array<std::uint32_t, kBuckets + 1> bucketStart_{};  ///< bucket b: entries [b], [b + 1])
  alignas(32) Masks masks_{};                              ///< as built
  alignas(32) Masks working_{};                            ///< during a scan, found buckets removed
  double candidateRate_ = 0;
};
