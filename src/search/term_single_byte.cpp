#include "search/term_single_byte.h"

#include <array>
#include <cstring>

#include "search/term_text_frequency.h"

std::optional<SingleByteAnchor> FindAnchor(const std::string& pattern, const ByteFold& fold) {
  std::array<int, 256> forms{};
  for (const unsigned char folded : fold)
    ++forms[folded];
  // A folded byte folds to itself, so a folded byte with one form is the raw byte to look for.
  std::optional<SingleByteAnchor> best;
  for (std::size_t offset = 0; offset < pattern.size(); ++offset) {
    const auto folded = static_cast<unsigned char>(pattern[offset]);
    if (forms[folded] != 1) continue;
    const double rate = TextFrequency(folded);
    if (!best || rate < best->rate) best = SingleByteAnchor{folded, offset, rate};
  }
  return best;
}

SingleByteMatcher::SingleByteMatcher(std::string pattern, const ByteFold& fold,
                                     const SingleByteAnchor& anchor)
    : pattern_(std::move(pattern)), fold_(fold), anchor_(anchor) {}

void SingleByteMatcher::Scan(const unsigned char* data, std::size_t size, MatchSink& sink) {
  if (size < pattern_.size()) return;
  // The anchor of an occurrence stands between these two positions.
  const unsigned char* from = data + anchor_.offset;
  const unsigned char* const last = data + (size - pattern_.size()) + anchor_.offset;
  while (from <= last) {
    const void* hit = std::memchr(from, anchor_.byte, static_cast<std::size_t>(last - from) + 1);
    if (hit == nullptr) return;
    const auto* anchor = static_cast<const unsigned char*>(hit);
    const unsigned char* start = anchor - anchor_.offset;
    if (FoldedEqual(fold_, pattern_, start)) {
      sink.Report(0, data, size, static_cast<std::size_t>(start - data));
      if (sink.Resolved(0)) return;
    }
    from = anchor + 1;
  }
}
