#include "search/term_long_patterns.h"

#include <algorithm>

LongPatternMatcher::LongPatternMatcher(const std::vector<std::string>& patterns,
                                       const std::vector<std::uint32_t>& ids,
                                       const ByteFold& fold) {
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    auto bytes = std::make_unique<std::string>(patterns[i]);
    const char* begin = bytes->data();
    const char* end = begin + bytes->size();
    patterns_.push_back(
        {ids[i], std::move(bytes), Searcher(begin, end, FoldHash{&fold}, FoldEqual{&fold})});
  }
}

void LongPatternMatcher::Scan(const unsigned char* data, std::size_t size, MatchSink& sink) {
  const auto* begin = reinterpret_cast<const char*>(data);
  const char* const end = begin + size;
  for (const Pattern& pattern : patterns_) {
    for (const char* from = begin; !sink.Resolved(pattern.id);) {
      const char* at = std::search(from, end, pattern.searcher);
      if (at == end) break;
      const auto start = static_cast<std::size_t>(at - begin);
      if (sink.Report(pattern.id, data, size, start)) return;
      from = at + 1;
    }
  }
}
