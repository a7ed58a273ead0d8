#include "search/term_fingerprints.h"

#include <algorithm>
#include <bit>

#include "search/term_text_frequency.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define FUNDORT_FINGERPRINT_AVX2 1
#include <immintrin.h>
#endif

namespace {

#ifdef FUNDORT_FINGERPRINT_AVX2

// Finds the first block of 32 window starts from `from` on in which some window fits; returns
// its start and the fitting positions as bits. Covers only blocks whose bytes lie before the end;
// returns the first uncovered start with no bits when no block fits.
template <int kWindow>
__attribute__((target("avx2"))) std::size_t NextBlock(const unsigned char* masks,
                                                      const unsigned char* data, std::size_t from,
                                                      std::size_t starts, std::uint32_t& bits) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  __m256i low[kWindow];
  __m256i high[kWindow];
  for (int j = 0; j < kWindow; ++j) {
    low[j] = _mm256_broadcastsi128_si256(
        _mm_load_si128(reinterpret_cast<const __m128i*>(masks + 32 * j)));
    high[j] = _mm256_broadcastsi128_si256(
        _mm_load_si128(reinterpret_cast<const __m128i*>(masks + 32 * j + 16)));
  }
  std::size_t position = from;
  for (; position + 32 <= starts; position += 32) {
    __m256i fit = _mm256_set1_epi8(-1);
    for (int j = 0; j < kWindow; ++j) {
      const __m256i bytes =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + position + j));
      const __m256i lowNibbles = _mm256_and_si256(bytes, nibble);
      const __m256i highNibbles = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble);
      fit = _mm256_and_si256(fit, _mm256_and_si256(_mm256_shuffle_epi8(low[j], lowNibbles),
                                                   _mm256_shuffle_epi8(high[j], highNibbles)));
    }
    const auto none = static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(fit, _mm256_setzero_si256())));
    if (none != 0xFFFFFFFFu) {
      bits = ~none;
      return position;
    }
  }
  bits = 0;
  return position;
}

#endif

// The raw bytes that fold to each folded byte.
std::array<std::vector<unsigned char>, 256> Variants(const ByteFold& fold) {
  std::array<std::vector<unsigned char>, 256> variants;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    variants[fold[byte]].push_back(static_cast<unsigned char>(byte));
  }
  return variants;
}

}  // namespace

bool TermFingerprints::VectorTestAvailable() {
#ifdef FUNDORT_FINGERPRINT_AVX2
  static const bool available = __builtin_cpu_supports("avx2") != 0;
  return available;
#else
  return false;
#endif
}

TermFingerprints::TermFingerprints(const std::vector<std::string>& patterns,
                                   const std::vector<std::uint32_t>& ids, const ByteFold& fold,
                                   FingerprintSimd simd)
    : patterns_(patterns),
      ids_(ids),
      fold_(&fold),
      vector_(simd == FingerprintSimd::WhenAvailable && VectorTestAvailable()) {
  const auto variants = Variants(fold);
  std::array<double, 256> foldedFrequency{};
  for (std::size_t byte = 0; byte < 256; ++byte) {
    foldedFrequency[fold[byte]] += TextFrequency(static_cast<unsigned char>(byte));
  }
  std::size_t shortest = 3;
  for (const std::string& pattern : patterns_)
    shortest = std::min(shortest, pattern.size());
  window_ = static_cast<int>(std::max<std::size_t>(shortest, 1));

  // Each pattern's window: the run of window_ bytes that is rarest in typical text.
  std::vector<Entry> chosen;
  for (std::uint32_t i = 0; i < patterns_.size(); ++i) {
    const std::string& pattern = patterns_[i];
    std::uint32_t best = 0;
    double bestRate = 2;
    for (std::size_t offset = 0; offset + window_ <= pattern.size(); ++offset) {
      double rate = 1;
      for (int j = 0; j < window_; ++j) {
        rate *= foldedFrequency[static_cast<unsigned char>(pattern[offset + j])];
      }
      if (rate < bestRate) {
        bestRate = rate;
        best = static_cast<std::uint32_t>(offset);
      }
    }
    chosen.push_back({i, best});
  }
  // Equal windows share a bucket, so sorting by window keeps buckets tight.
  std::sort(chosen.begin(), chosen.end(), [&](const Entry& a, const Entry& b) {
    return std::string_view(patterns_[a.pattern]).substr(a.offset, window_) <
           std::string_view(patterns_[b.pattern]).substr(b.offset, window_);
  });
  const std::size_t perBucket = (chosen.size() + kBuckets - 1) / kBuckets;
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    const std::size_t bucket = perBucket == 0 ? 0 : i / perBucket;
    const Entry& entry = chosen[i];
    entries_.push_back(entry);
    bucketStart_[bucket + 1] = static_cast<std::uint32_t>(entries_.size());
    const auto bit = static_cast<unsigned char>(1u << bucket);
    for (int j = 0; j < window_; ++j) {
      const auto folded = static_cast<unsigned char>(patterns_[entry.pattern][entry.offset + j]);
      for (const unsigned char raw : variants[folded]) {
        masks_[2 * j][raw & 0x0F] |= bit;
        masks_[2 * j + 1][raw >> 4] |= bit;
      }
    }
  }
  for (int b = 1; b <= kBuckets; ++b)
    bucketStart_[b] = std::max(bucketStart_[b], bucketStart_[b - 1]);
  candidateRate_ = EstimateCandidateRate();
}

double TermFingerprints::EstimateCandidateRate() const {
  // Per bucket, the bytes that pass each table pair, as in the scan, nibble aliasing included.
  double rate = 0;
  for (int bucket = 0; bucket < kBuckets; ++bucket) {
    if (bucketStart_[bucket] == bucketStart_[bucket + 1]) continue;
    double bucketRate = 1;
    for (int j = 0; j < window_; ++j) {
      double passing = 0;
      for (std::size_t byte = 0; byte < 256; ++byte) {
        if ((masks_[2 * j][byte & 0x0F] & masks_[2 * j + 1][byte >> 4] & (1u << bucket)) != 0) {
          passing += TextFrequency(static_cast<unsigned char>(byte));
        }
      }
      bucketRate *= passing;
    }
    rate += bucketRate;
  }
  return rate;
}

unsigned int TermFingerprints::BucketsAt(const unsigned char* at) const {
  unsigned int bits = 0xFF;
  for (int j = 0; j < window_; ++j) {
    bits &= working_[2 * j][at[j] & 0x0F] & working_[2 * j + 1][at[j] >> 4];
  }
  return bits;
}

// Once every pattern of a bucket is resolved, its windows stop producing candidates.
void TermFingerprints::DropResolvedBuckets(const MatchSink& sink) {
  for (int bucket = 0; bucket < kBuckets; ++bucket) {
    bool resolved = true;
    for (std::uint32_t e = bucketStart_[bucket]; e < bucketStart_[bucket + 1] && resolved; ++e)
      resolved = sink.Resolved(ids_[entries_[e].pattern]);
    if (!resolved) continue;
    const auto keep = static_cast<unsigned char>(~(1u << bucket));
    for (auto& table : working_) {
      for (unsigned char& cell : table)
        cell &= keep;
    }
  }
}

// Compares the patterns whose windows fit at position; true once every term is found.
bool TermFingerprints::Check(const unsigned char* data, std::size_t size, std::size_t position,
                             MatchSink& sink) {
  unsigned int buckets = BucketsAt(data + position);
  bool reported = false;
  while (buckets != 0) {
    const int bucket = std::countr_zero(buckets);
    buckets &= buckets - 1;
    for (std::uint32_t e = bucketStart_[bucket]; e < bucketStart_[bucket + 1]; ++e) {
      const Entry& entry = entries_[e];
      const Comparison found = CompareAt(*fold_, patterns_[entry.pattern], entry.offset,
                                         ids_[entry.pattern], data, size, position, sink);
      if (found == Comparison::AllFound) return true;
      reported = reported || found == Comparison::Reported;
    }
  }
  if (reported) DropResolvedBuckets(sink);
  return false;
}

void TermFingerprints::Scan(const unsigned char* data, std::size_t size, MatchSink& sink) {
  if (size < static_cast<std::size_t>(window_)) return;
  working_ = masks_;
  DropResolvedBuckets(sink);
  const std::size_t starts = size - static_cast<std::size_t>(window_) + 1;
  std::size_t position = 0;
#ifdef FUNDORT_FINGERPRINT_AVX2
  if (vector_) {
    const unsigned char* masks = working_[0].data();
    for (;;) {
      std::uint32_t bits = 0;
      switch (window_) {
        case 1:
          position = NextBlock<1>(masks, data, position, starts, bits);
          break;
        case 2:
          position = NextBlock<2>(masks, data, position, starts, bits);
          break;
        default:
          position = NextBlock<3>(masks, data, position, starts, bits);
          break;
      }
      if (bits == 0) break;
      while (bits != 0) {
        if (Check(data, size, position + static_cast<std::size_t>(std::countr_zero(bits)), sink)) {
          return;
        }
        bits &= bits - 1;
      }
      position += 32;
    }
  }
#endif
  for (; position < starts; ++position) {
    if (BucketsAt(data + position) != 0 && Check(data, size, position, sink)) return;
  }
}
