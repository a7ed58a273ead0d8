#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/term_patterns.h"

/// Whether the fingerprint test may use the processor's vector instructions.
enum class FingerprintSimd { WhenAvailable, Never };

/// Finds a few patterns without stepping through the content byte by byte: each pattern is
/// represented by a window of up to three of its rarest bytes, all windows are tested at 32
/// positions at once through nibble tables (eight pattern buckets, one bit each), and bytes are
/// compared only where a window fits. Fast while fingerprints are rare in the content.
class TermFingerprints {
 public:
  /// True when this processor runs the vector test.
  static bool VectorTestAvailable();

  /// Prepares the patterns (folded, non-empty, distinct, at most kMaxPatterns); ids are the
  /// numbers under which their findings are marked.
  TermFingerprints(const std::vector<std::string>& patterns, const std::vector<std::uint32_t>& ids,
                   const ByteFold& fold, FingerprintSimd simd);

  /// Marks every pattern that occurs in content; stops early once all of `found` are found.
  void Scan(std::string_view content, FoundPatterns& found);

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
  bool Check(const unsigned char* data, std::size_t size, std::size_t position,
             FoundPatterns& found);
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
  std::array<std::uint32_t, kBuckets> left_{};             ///< patterns not yet found, per bucket
  double candidateRate_ = 0;
};
