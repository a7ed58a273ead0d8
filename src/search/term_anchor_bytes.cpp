#include "search/term_anchor_bytes.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstring>

#include "search/term_text_frequency.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define FUNDORT_ANCHOR_AVX2 1
#include <immintrin.h>
#endif
#if defined(__SSE2__)
#define FUNDORT_ANCHOR_SSE2 1
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint8_t kNoGroup = 0xFF;

// The anchor search tries at most this many of a pattern's rarest bytes in turn.
constexpr std::size_t kBranches = 8;

// The folded bytes a set of anchors is made of, and what looking for them costs.
struct AnchorSearch {
  std::array<std::vector<unsigned char>, 256> variants;  ///< raw bytes folding to each byte
  std::array<double, 256> cost{};                        ///< their summed frequency
  std::vector<std::bitset<256>> contains;                ///< per pattern: its folded bytes
  std::vector<std::vector<unsigned char>> candidates;  ///< per pattern: usable bytes, rarest first
  std::vector<unsigned char> chosen;
  std::vector<unsigned char> best;
  double bestCost = 2;

  // Extends chosen (whose raw bytes number rawCount) until it covers every pattern.
  void Search(std::size_t rawCount, double chosenCost) {
    std::size_t open = 0;
    for (; open < contains.size(); ++open) {
      bool covered = false;
      for (const unsigned char folded : chosen)
        covered = covered || contains[open][folded];
      if (!covered) break;
    }
    if (open == contains.size()) {
      best = chosen;
      bestCost = chosenCost;
      return;
    }
    for (const unsigned char folded : candidates[open]) {
      // Candidates come rarest first: once one is too dear, so are the rest.
      if (chosenCost + cost[folded] >= bestCost) break;
      if (rawCount + variants[folded].size() > AnchorChoice::kMaxRawBytes) continue;
      chosen.push_back(folded);
      Search(rawCount + variants[folded].size(), chosenCost + cost[folded]);
      chosen.pop_back();
    }
  }
};

#ifdef FUNDORT_ANCHOR_AVX2

// Marks the bytes equal to one of b[0..3].
__attribute__((target("avx2"))) inline __m256i EqualAny(__m256i bytes, const __m256i* b) {
  return _mm256_or_si256(
      _mm256_or_si256(_mm256_cmpeq_epi8(bytes, b[0]), _mm256_cmpeq_epi8(bytes, b[1])),
      _mm256_or_si256(_mm256_cmpeq_epi8(bytes, b[2]), _mm256_cmpeq_epi8(bytes, b[3])));
}

// The first block of 64 positions from `from` on, ending before `end`, that holds one of the
// four bytes (repeated where there are fewer); its start, and the positions as bits. Returns the
// first position not looked at, with no bits, when no block holds one.
__attribute__((target("avx2"))) std::size_t NextBlockAvx2(const unsigned char* raw4,
                                                          const unsigned char* data,
                                                          std::size_t from, std::size_t end,
                                                          std::uint64_t& bits) {
  __m256i b[4];
  for (int i = 0; i < 4; ++i)
    b[i] = _mm256_set1_epi8(static_cast<char>(raw4[i]));
  std::size_t position = from;
  for (; position + 64 <= end; position += 64) {
    const __m256i low =
        EqualAny(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + position)), b);
    const __m256i high =
        EqualAny(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + position + 32)), b);
    const __m256i any = _mm256_or_si256(low, high);
    if (_mm256_testz_si256(any, any) == 0) {
      bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
             std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
      return position;
    }
  }
  bits = 0;
  return position;
}

#endif

#ifdef FUNDORT_ANCHOR_SSE2

// As NextBlockAvx2, 32 positions at a time with the instructions every x86-64 processor has.
std::size_t NextBlockSse2(const unsigned char* raw4, const unsigned char* data, std::size_t from,
                          std::size_t end, std::uint64_t& bits) {
  const __m128i b0 = _mm_set1_epi8(static_cast<char>(raw4[0]));
  const __m128i b1 = _mm_set1_epi8(static_cast<char>(raw4[1]));
  const __m128i b2 = _mm_set1_epi8(static_cast<char>(raw4[2]));
  const __m128i b3 = _mm_set1_epi8(static_cast<char>(raw4[3]));
  const auto equal = [&](__m128i bytes) {
    return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, b0), _mm_cmpeq_epi8(bytes, b1)),
                        _mm_or_si128(_mm_cmpeq_epi8(bytes, b2), _mm_cmpeq_epi8(bytes, b3)));
  };
  std::size_t position = from;
  for (; position + 32 <= end; position += 32) {
    const __m128i low = equal(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + position)));
    const __m128i high =
        equal(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + position + 16)));
    const auto found = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(low, high)));
    if (found != 0) {
      bits = static_cast<std::uint32_t>(_mm_movemask_epi8(low)) |
             static_cast<std::uint32_t>(_mm_movemask_epi8(high)) << 16;
      return position;
    }
  }
  bits = 0;
  return position;
}

#endif

bool Avx2Available() {
#ifdef FUNDORT_ANCHOR_AVX2
  static const bool available = __builtin_cpu_supports("avx2") != 0;
  return available;
#else
  return false;
#endif
}

}  // namespace

std::optional<AnchorChoice> ChooseAnchors(const std::vector<std::string>& patterns,
                                          const ByteFold& fold) {
  if (patterns.empty()) return std::nullopt;
  AnchorSearch search;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    search.variants[fold[byte]].push_back(static_cast<unsigned char>(byte));
    search.cost[fold[byte]] += TextFrequency(static_cast<unsigned char>(byte));
  }
  // The byte 0 fills UTF-16 text: it is never looked for, nor a byte folding alike.
  const auto usable = [&](unsigned char folded) {
    const auto& raw = search.variants[folded];
    return !raw.empty() && raw.size() <= AnchorChoice::kMaxRawBytes && fold[0] != folded;
  };
  for (const std::string& pattern : patterns) {
    std::bitset<256> contains;
    std::vector<unsigned char> candidates;
    for (const char c : pattern) {
      const auto folded = static_cast<unsigned char>(c);
      if (contains[folded]) continue;
      contains[folded] = true;
      if (usable(folded)) candidates.push_back(folded);
    }
    if (candidates.empty()) return std::nullopt;
    std::sort(candidates.begin(), candidates.end(),
              [&](unsigned char a, unsigned char b) { return search.cost[a] < search.cost[b]; });
    if (candidates.size() > kBranches) candidates.resize(kBranches);
    search.contains.push_back(contains);
    search.candidates.push_back(std::move(candidates));
  }
  search.Search(0, 0);
  if (search.best.empty()) return std::nullopt;

  AnchorChoice choice;
  for (const std::string& pattern : patterns) {
    // The pattern's rarest chosen byte; the first where it stands more than once.
    std::size_t offset = pattern.size();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      const auto folded = static_cast<unsigned char>(pattern[i]);
      if (std::find(search.best.begin(), search.best.end(), folded) == search.best.end()) continue;
      if (offset == pattern.size() ||
          search.cost[folded] < search.cost[static_cast<unsigned char>(pattern[offset])])
        offset = i;
    }
    choice.offsets.push_back(offset);
  }
  for (const unsigned char folded : search.best)
    choice.raw.insert(choice.raw.end(), search.variants[folded].begin(),
                      search.variants[folded].end());
  std::sort(choice.raw.begin(), choice.raw.end());
  choice.rate = search.bestCost;
  return choice;
}

AnchorBytesMatcher::AnchorBytesMatcher(const std::vector<std::string>& patterns,
                                       const std::vector<std::uint32_t>& ids, const ByteFold& fold,
                                       const AnchorChoice& choice, AnchorSimd simd)
    : patterns_(patterns), ids_(ids), fold_(&fold), raw_(choice.raw) {
#ifdef FUNDORT_ANCHOR_SSE2
  width_ = Width::Sse2;
#endif
  if (simd == AnchorSimd::WhenAvailable && Avx2Available()) width_ = Width::Avx2;
  for (std::size_t i = 0; i < raw4_.size() && !raw_.empty(); ++i)
    raw4_[i] = raw_[std::min(i, raw_.size() - 1)];
  // The raw bytes of one folded byte form a group; its entries are the patterns anchored on it.
  group_.fill(kNoGroup);
  std::vector<unsigned char> groupByte;
  for (const unsigned char raw : raw_) {
    const auto at = std::find(groupByte.begin(), groupByte.end(), fold[raw]);
    group_[raw] = static_cast<std::uint8_t>(at - groupByte.begin());
    if (at == groupByte.end()) groupByte.push_back(fold[raw]);
  }
  firstAnchor_ = patterns_.empty() ? 0 : choice.offsets[0];
  shortestTail_ = patterns_.empty() ? 0 : patterns_[0].size() - choice.offsets[0];
  for (std::size_t g = 0; g < groupByte.size(); ++g) {
    for (std::uint32_t p = 0; p < patterns_.size(); ++p) {
      const std::size_t offset = choice.offsets[p];
      if (static_cast<unsigned char>(patterns_[p][offset]) != groupByte[g]) continue;
      entries_.push_back({p, static_cast<std::uint32_t>(offset)});
      for (std::size_t byte = 0; byte < 256; ++byte) {
        if (offset + 1 == patterns_[p].size() ||
            fold[byte] == static_cast<unsigned char>(patterns_[p][offset + 1]))
          follows_[g][byte] = 1;
      }
      firstAnchor_ = std::min(firstAnchor_, offset);
      shortestTail_ = std::min(shortestTail_, patterns_[p].size() - offset);
    }
    groupStart_[g + 1] = static_cast<std::uint32_t>(entries_.size());
  }
}

// Compares the patterns anchored on the byte at position; true once every term is found.
bool AnchorBytesMatcher::Check(const unsigned char* data, std::size_t size, std::size_t position,
                               MatchSink& sink) {
  const std::uint8_t group = group_[data[position]];
  // Most anchor bytes that start no occurrence are told apart by the byte after them.
  if (position + 1 < size && follows_[group][data[position + 1]] == 0) return false;
  for (std::uint32_t e = groupStart_[group]; e < groupStart_[group + 1]; ++e) {
    const Entry& entry = entries_[e];
    if (CompareAt(*fold_, patterns_[entry.pattern], entry.offset, ids_[entry.pattern], data, size,
                  position, sink) == Comparison::AllFound) {
      return true;
    }
  }
  return false;
}

std::size_t AnchorBytesMatcher::NextCandidates(const unsigned char* data, std::size_t from,
                                               std::size_t end, std::uint64_t& bits) const {
  bits = 0;
#ifdef FUNDORT_ANCHOR_AVX2
  if (width_ == Width::Avx2) return NextBlockAvx2(raw4_.data(), data, from, end, bits);
#endif
#ifdef FUNDORT_ANCHOR_SSE2
  if (width_ == Width::Sse2) return NextBlockSse2(raw4_.data(), data, from, end, bits);
#endif
  return from;
}

void AnchorBytesMatcher::Scan(const unsigned char* data, std::size_t size, MatchSink& sink) {
  // An anchor of an occurrence stands in [firstAnchor_, end).
  if (entries_.empty() || size < shortestTail_) return;
  const std::size_t end = size - shortestTail_ + 1;
  std::size_t position = firstAnchor_;
  if (raw_.size() == 1) {
    while (position < end) {
      const void* hit = std::memchr(data + position, raw_[0], end - position);
      if (hit == nullptr) return;
      position = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - data);
      if (Check(data, size, position, sink)) return;
      ++position;
    }
    return;
  }
  if (width_ != Width::Byte) {
    const std::size_t step = width_ == Width::Avx2 ? 64 : 32;
    for (;;) {
      std::uint64_t bits = 0;
      position = NextCandidates(data, position, end, bits);
      if (bits == 0) break;
      for (; bits != 0; bits &= bits - 1) {
        if (Check(data, size, position + static_cast<std::size_t>(std::countr_zero(bits)), sink))
          return;
      }
      position += step;
    }
  }
  for (; position < end; ++position) {
    if (group_[data[position]] != kNoGroup && Check(data, size, position, sink)) return;
  }
}
