#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "search/term_byte_fold.h"
#include "search/term_matcher.h"

/// Finds patterns one by one with a Boyer-Moore-Horspool search each: for patterns too long for
/// an automaton of bounded size.
class LongPatternMatcher final : public TermMatcher {
 public:
  /// Looks for the given patterns (folded by fold) under the given pattern numbers.
  LongPatternMatcher(const std::vector<std::string>& patterns,
                     const std::vector<std::uint32_t>& ids, const ByteFold& fold);
  void Scan(const unsigned char* data, std::size_t size, MatchSink& sink) override;

 private:
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
  using Searcher = std::boyer_moore_horspool_searcher<const char*, FoldHash, FoldEqual>;
  struct Pattern {
    std::uint32_t id;
    std::unique_ptr<std::string> bytes;  ///< kept in place: the searcher refers to them
    Searcher searcher;
  };
  std::vector<Pattern> patterns_;
};
