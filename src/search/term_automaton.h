#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/term_byte_fold.h"
#include "search/term_matcher.h"

/// An Aho-Corasick automaton over a set of folded patterns, completed to a dense DFA over byte
/// classes: one table step per content byte, every occurrence reported, overlaps included.
class TermAutomaton final : public TermMatcher {
 public:
  /// Builds the automaton for the given patterns (folded, non-empty, distinct); ids are the numbers
  /// under which their findings are marked.
  TermAutomaton(const std::vector<std::string>& patterns, const std::vector<std::uint32_t>& ids,
                const ByteFold& fold);

  /// Reports every occurrence; stops early once the sink has found every term.
  void Scan(const unsigned char* data, std::size_t size, MatchSink& sink) override;

  /// Number of table entries that patterns of these lengths over this many distinct bytes need
  /// at most; used to split huge term sets into several automata.
  static std::size_t TableEntries(std::size_t totalLength, std::size_t distinctBytes);

 private:
  struct Output {
    std::uint32_t pattern;  ///< pattern that ends in this state, or kNone
    std::uint32_t length;   ///< its length
    std::uint32_t next;     ///< next match state along the suffix chain, or kNone
  };
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  template <int kStreams>
  void Run(const unsigned char* data, std::size_t size, MatchSink& sink) const;
  bool Report(std::uint32_t state, const unsigned char* data, std::size_t size, std::size_t end,
              MatchSink& sink) const;

  std::vector<std::uint32_t> table_;  ///< state * stride + class -> next state * stride
  std::vector<Output> outputs_;       ///< per match state, in state order
  std::array<unsigned char, 256> byteClass_{};
  std::uint32_t stride_ = 1;
  std::uint32_t firstMatch_ = 0;  ///< match states are numbered last: state >= this one
  std::size_t maxLength_ = 0;
};
