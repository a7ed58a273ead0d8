#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "search/term_byte_fold.h"
#include "search/term_matcher.h"
#include "search/term_pattern_list.h"

/// An Aho-Corasick automaton over a set of folded patterns, every occurrence reported, overlaps
/// included. The states nearest the root, where a scan spends nearly all its steps, have dense
/// rows over byte classes, completed so that a step is one table look-up; the deeper states keep
/// only their trie edges and a failure link, so hundreds of thousands of patterns fit in a few
/// bytes per pattern byte.
class TermAutomaton final : public TermMatcher {
 public:
  /// Builds the automaton for the given patterns (folded, non-empty, distinct; taken, so that
  /// their memory is freed early); a pattern's findings are marked under its index. At most
  /// denseEntries table entries (4 bytes each) go to dense rows; the root always has one.
  TermAutomaton(PatternList patterns, const ByteFold& fold, std::size_t denseEntries);

  /// Reports every occurrence; stops early once the sink has found every term.
  void Scan(const unsigned char* data, std::size_t size, MatchSink& sink) override;

  /// Number of states, the root included.
  std::size_t StateCount() const { return labels_.size(); }
  /// Number of states with a dense row.
  std::size_t DenseStateCount() const { return denseStates_; }

 private:
  struct Output {
    std::uint32_t pattern;  ///< pattern that ends in this state, or kNone
    std::uint32_t length;   ///< its length
    std::uint32_t next;     ///< next output along the suffix chain, or kNone
  };
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  /// Set in a table value whose target reports something or has no dense row; the other bits
  /// are then the target's state number. A value without it is the target's row offset.
  static constexpr std::uint32_t kSpecial = 0x80000000u;

  struct End {
    std::uint32_t state;    ///< the state a pattern ends in
    std::uint32_t pattern;  ///< that pattern
  };

  void Link(const std::vector<End>& ends, const std::vector<std::uint32_t>& levelStart);
  std::uint32_t Failure(std::uint32_t state) const;
  void SetFailure(std::uint32_t state, std::uint32_t failure);
  static constexpr std::uint32_t kBlockStates = 64;
  void AddFirstChild(std::uint32_t child);
  std::uint32_t FirstChild(std::uint32_t state) const {
    return childBase_[state / kBlockStates] + childOffset_[state];
  }
  std::uint32_t Encode(std::uint32_t state) const;
  std::uint32_t Decode(std::uint32_t value) const;
  std::uint32_t Child(std::uint32_t state, std::uint32_t byteClass) const;
  std::uint32_t Step(std::uint32_t state, std::uint32_t byteClass) const;
  bool HasOutput(std::uint32_t state) const {
    return (outputBits_[state / 64] >> (state % 64) & 1u) != 0;
  }
  std::uint32_t OutputIndex(std::uint32_t state) const;

  template <int kStreams>
  void Run(const unsigned char* data, std::size_t size, MatchSink& sink) const;
  bool Walk(const unsigned char*& at, const unsigned char* end, std::uint32_t& row,
            const unsigned char* data, std::size_t size, MatchSink& sink) const;
  bool Settle(std::uint32_t value, const unsigned char*& at, const unsigned char* end,
              std::uint32_t& row, const unsigned char* data, std::size_t size,
              MatchSink& sink) const;
  bool Report(std::uint32_t state, const unsigned char* data, std::size_t size, std::size_t end,
              MatchSink& sink) const;

  std::vector<std::uint32_t> table_;  ///< dense state * stride + class -> encoded next state
  /// A state's children are the states from its first child to the next state's first child.
  /// The first child is stored as an offset from that of the first state of a block of states:
  /// a block's children number at most kBlockStates * 256, so the offset fits 16 bits.
  std::vector<std::uint32_t> childBase_;    ///< per block of states
  std::vector<std::uint16_t> childOffset_;  ///< per state, and one more
  std::vector<unsigned char> labels_;       ///< per state: the class of the edge into it
  /// Per state, failureWidth_ bytes, least significant first: the longest proper suffix state.
  std::vector<unsigned char> failure_;
  std::vector<std::uint64_t> outputBits_;  ///< per state: whether it reports something
  std::vector<std::uint32_t> outputRank_;  ///< per 64 states: the outputs of the states before
  std::vector<Output> outputs_;            ///< per reporting state, in state order
  std::array<unsigned char, 256> byteClass_{};
  std::uint32_t stride_ = 1;
  std::uint32_t failureWidth_ = 4;
  std::uint32_t denseStates_ = 1;  ///< states [0, this) have dense rows
  std::size_t maxLength_ = 0;
};
