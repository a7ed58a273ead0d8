#include "search/term_automaton.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <string_view>
#include <utility>

namespace {

// Below this size one pass is as fast as several interleaved ones.
constexpr std::size_t kInterleaveFrom = 256;

// Children lists up to this length are searched in order, longer ones by halving.
constexpr std::uint32_t kLinearChildren = 8;

// Dense row offsets and state numbers share a table value with the flag bit.
constexpr std::size_t kMaxEntries = std::size_t{1} << 31;

}  // namespace

TermAutomaton::TermAutomaton(PatternList patterns, const ByteFold& fold, std::size_t denseEntries) {
  // Byte classes: one per folded byte that some pattern uses, in byte order, one more for all
  // other bytes.
  std::array<bool, 256> used{};
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    for (const char byte : patterns[i])
      used[static_cast<unsigned char>(byte)] = true;
    maxLength_ = std::max(maxLength_, patterns[i].size());
  }
  std::array<unsigned char, 256> classOfFolded{};
  std::uint32_t classes = 0;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    if (used[byte]) classOfFolded[byte] = static_cast<unsigned char>(classes++);
  }
  const std::uint32_t other = classes < 256 ? classes : 0;
  for (std::size_t byte = 0; byte < 256; ++byte) {
    if (!used[byte]) classOfFolded[byte] = static_cast<unsigned char>(other);
  }
  stride_ = classes < 256 ? classes + 1 : 256;
  for (std::size_t byte = 0; byte < 256; ++byte)
    byteClass_[byte] = classOfFolded[fold[byte]];

  // The patterns sorted, then copied one after the other into one buffer, so that the levels
  // below read them in order; the list taken is released. The first eight bytes, as a number in
  // byte order, settle most comparisons; patterns shorter than eight bytes are padded with zero
  // bytes, which orders them before their extensions.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed(patterns.size());
  for (std::uint32_t i = 0; i < patterns.size(); ++i) {
    std::uint64_t key = 0;
    for (std::size_t b = 0; b < 8; ++b)
      key = key << 8 | (b < patterns[i].size() ? static_cast<unsigned char>(patterns[i][b]) : 0u);
    keyed[i] = {key, i};
  }
  std::sort(keyed.begin(), keyed.end(), [&patterns](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return patterns[a.second] < patterns[b.second];
  });
  std::vector<std::uint32_t> order(patterns.size());
  for (std::size_t i = 0; i < keyed.size(); ++i)
    order[i] = keyed[i].second;
  std::vector<std::pair<std::uint64_t, std::uint32_t>>().swap(keyed);
  std::size_t total = 0;
  for (std::size_t i = 0; i < patterns.size(); ++i)
    total += patterns[i].size();
  std::string pool;
  pool.reserve(total);
  std::vector<std::uint32_t> start;
  start.reserve(order.size() + 1);
  for (const std::uint32_t pattern : order) {
    start.push_back(static_cast<std::uint32_t>(pool.size()));
    pool += patterns[pattern];
  }
  start.push_back(static_cast<std::uint32_t>(pool.size()));
  { const PatternList released = std::move(patterns); }
  // Each pattern adds the states past its common prefix with the one before it.
  std::size_t states = 1;
  for (std::size_t i = 0; i + 1 < start.size(); ++i) {
    const std::string_view pattern(pool.data() + start[i], start[i + 1] - start[i]);
    std::size_t common = 0;
    if (i > 0) {
      const std::string_view before(pool.data() + start[i - 1], start[i] - start[i - 1]);
      while (common < before.size() && common < pattern.size() && before[common] == pattern[common])
        ++common;
    }
    states += pattern.size() - common;
  }
  labels_.reserve(states);
  childBase_.reserve(states / kBlockStates + 1);
  childOffset_.reserve(states + 1);

  // The trie in breadth-first order, built level by level: a state is the range of sorted
  // patterns that share its prefix, and its children, numbered one after the other, split that
  // range by the next byte. So each state's children are consecutive and ordered by class
  // (classes are numbered in byte order, as the patterns are sorted).
  struct Range {
    std::uint32_t begin, end;
  };
  std::vector<Range> level{{0, static_cast<std::uint32_t>(order.size())}};
  std::vector<Range> nextLevel;
  std::vector<End> ends;
  ends.reserve(order.size());
  labels_.push_back(0);
  std::uint32_t state = 0;
  const auto byteAt = [&](std::uint32_t sortedIndex, std::size_t depth) {
    return static_cast<unsigned char>(pool[start[sortedIndex] + depth]);
  };
  std::vector<std::uint32_t> levelStart;  // the first state of each depth
  for (std::uint32_t depth = 0; !level.empty(); ++depth) {
    levelStart.push_back(state);
    nextLevel.clear();
    for (const Range range : level) {
      AddFirstChild(static_cast<std::uint32_t>(labels_.size()));
      std::uint32_t begin = range.begin;
      if (begin < range.end && start[begin + 1] - start[begin] == depth)
        ends.push_back({state, order[begin++]});
      while (begin < range.end) {
        const unsigned char byte = byteAt(begin, depth);
        std::uint32_t end = begin + 1;
        while (end < range.end && byteAt(end, depth) == byte)
          ++end;
        nextLevel.push_back({begin, end});
        labels_.push_back(classOfFolded[byte]);
        begin = end;
      }
      ++state;
    }
    level.swap(nextLevel);
  }
  AddFirstChild(static_cast<std::uint32_t>(labels_.size()));
  std::vector<std::uint32_t>().swap(order);
  std::vector<std::uint32_t>().swap(start);
  std::string().swap(pool);
  std::vector<Range>().swap(level);
  std::vector<Range>().swap(nextLevel);

  denseStates_ = static_cast<std::uint32_t>(
      std::clamp<std::size_t>(std::min(denseEntries, kMaxEntries - 1) / stride_, 1, states));
  Link(ends, levelStart);
}

// Breadth-first: failure links, outputs, and the dense rows completed from the failure state's
// row, so that a scan in the dense states never follows a failure link. A state's failure state
// is shallower, so it comes earlier and is complete when it is needed.
void TermAutomaton::Link(const std::vector<End>& ends,
                         const std::vector<std::uint32_t>& levelStart) {
  const auto states = static_cast<std::uint32_t>(labels_.size());
  table_.assign(std::size_t{denseStates_} * stride_, 0);
  failureWidth_ = states < (std::uint32_t{1} << 24) ? 3 : 4;
  failure_.assign(std::size_t{states} * failureWidth_, 0);
  outputBits_.assign((states + 63) / 64, 0);
  outputRank_.assign(outputBits_.size(), 0);
  // Nearly every state that reports is one where a pattern ends.
  outputs_.reserve(ends.size() + ends.size() / 16);
  std::size_t nextEnd = 0;
  std::uint32_t depth = 0;   // of the child at hand
  std::uint32_t ranked = 0;  // words of outputRank_ filled in
  for (std::uint32_t parent = 0; parent < states; ++parent) {
    const std::uint32_t firstChild = FirstChild(parent);
    const std::uint32_t endChild = FirstChild(parent + 1);
    for (std::uint32_t child = firstChild; child < endChild; ++child) {
      // States get their outputs in increasing order, so a word's rank is known on entering it.
      for (; ranked <= child / 64; ++ranked)
        outputRank_[ranked] = static_cast<std::uint32_t>(outputs_.size());
      while (depth + 1 < levelStart.size() && child >= levelStart[depth + 1])
        ++depth;
      const std::uint32_t fail = parent == 0 ? 0 : Decode(Step(Failure(parent), labels_[child]));
      SetFailure(child, fail);
      const bool own = nextEnd < ends.size() && ends[nextEnd].state == child;
      if (!own && !HasOutput(fail)) continue;
      Output output{kNone, 0, kNone};
      if (own) {
        output.pattern = ends[nextEnd].pattern;
        output.length = depth;
        ++nextEnd;
      }
      if (HasOutput(fail)) {
        const std::uint32_t index = OutputIndex(fail);
        output.next = outputs_[index].pattern != kNone ? index : outputs_[index].next;
      }
      outputBits_[child / 64] |= std::uint64_t{1} << (child % 64);
      outputs_.push_back(output);
    }
    if (parent >= denseStates_) continue;
    std::uint32_t* row = table_.data() + std::size_t{parent} * stride_;
    if (parent != 0) {
      const std::uint32_t* failRow = table_.data() + std::size_t{Failure(parent)} * stride_;
      std::copy(failRow, failRow + stride_, row);
    }
    for (std::uint32_t child = firstChild; child < endChild; ++child)
      row[labels_[child]] = Encode(child);
  }
  for (; ranked < outputRank_.size(); ++ranked)
    outputRank_[ranked] = static_cast<std::uint32_t>(outputs_.size());
}

std::uint32_t TermAutomaton::Failure(std::uint32_t state) const {
  const unsigned char* at = failure_.data() + std::size_t{state} * failureWidth_;
  std::uint32_t value = 0;
  for (std::uint32_t b = failureWidth_; b-- > 0;)
    value = value << 8 | at[b];
  return value;
}

void TermAutomaton::SetFailure(std::uint32_t state, std::uint32_t failure) {
  unsigned char* at = failure_.data() + std::size_t{state} * failureWidth_;
  for (std::uint32_t b = 0; b < failureWidth_; ++b, failure >>= 8)
    at[b] = static_cast<unsigned char>(failure);
}

void TermAutomaton::AddFirstChild(std::uint32_t child) {
  if (childOffset_.size() % kBlockStates == 0) childBase_.push_back(child);
  childOffset_.push_back(static_cast<std::uint16_t>(child - childBase_.back()));
}

std::uint32_t TermAutomaton::Encode(std::uint32_t state) const {
  return state < denseStates_ && !HasOutput(state) ? state * stride_ : kSpecial | state;
}

std::uint32_t TermAutomaton::Decode(std::uint32_t value) const {
  return (value & kSpecial) != 0 ? value & ~kSpecial : value / stride_;
}

std::uint32_t TermAutomaton::OutputIndex(std::uint32_t state) const {
  const std::uint64_t below = (std::uint64_t{1} << (state % 64)) - 1;
  return outputRank_[state / 64] +
         static_cast<std::uint32_t>(std::popcount(outputBits_[state / 64] & below));
}

std::uint32_t TermAutomaton::Child(std::uint32_t state, std::uint32_t byteClass) const {
  const std::uint32_t first = FirstChild(state);
  const std::uint32_t last = FirstChild(state + 1);
  if (last - first <= kLinearChildren) {
    for (std::uint32_t child = first; child < last; ++child) {
      if (labels_[child] == byteClass) return child;
    }
    return kNone;
  }
  const unsigned char* begin = labels_.data() + first;
  const unsigned char* end = labels_.data() + last;
  const unsigned char* found = std::lower_bound(begin, end, byteClass);
  return found != end && *found == byteClass ? first + static_cast<std::uint32_t>(found - begin)
                                             : kNone;
}

// The encoded state reached from state on a byte of the class.
std::uint32_t TermAutomaton::Step(std::uint32_t state, std::uint32_t byteClass) const {
  for (;;) {
    if (state < denseStates_) return table_[std::size_t{state} * stride_ + byteClass];
    const std::uint32_t child = Child(state, byteClass);
    if (child != kNone) return Encode(child);
    state = Failure(state);
  }
}

// end: one past the last byte of the occurrences that end in this state.
bool TermAutomaton::Report(std::uint32_t state, const unsigned char* data, std::size_t size,
                           std::size_t end, MatchSink& sink) const {
  std::uint32_t index = OutputIndex(state);
  while (index != kNone) {
    const Output& output = outputs_[index];
    if (output.pattern != kNone && sink.Report(output.pattern, data, size, end - output.length))
      return true;
    index = output.next;
  }
  return false;
}

// Handles a step that led to a special value: reports, and walks the states without a dense row
// byte by byte until one with a dense row is reached (row is then its offset) or the bytes end.
// True once the sink has found every term.
bool TermAutomaton::Settle(std::uint32_t value, const unsigned char*& at, const unsigned char* end,
                           std::uint32_t& row, const unsigned char* data, std::size_t size,
                           MatchSink& sink) const {
  for (;;) {
    const std::uint32_t state = value & ~kSpecial;
    if (HasOutput(state) && Report(state, data, size, static_cast<std::size_t>(at - data), sink))
      return true;
    if (state < denseStates_) {
      row = state * stride_;
      return false;
    }
    if (at == end) {
      row = 0;  // the bytes are over; the state no longer matters
      return false;
    }
    value = Step(state, byteClass_[*at++]);
    if ((value & kSpecial) == 0) {
      row = value;
      return false;
    }
  }
}

// Scans [at, end) from the dense row offset row.
bool TermAutomaton::Walk(const unsigned char*& at, const unsigned char* end, std::uint32_t& row,
                         const unsigned char* data, std::size_t size, MatchSink& sink) const {
  const std::uint32_t* table = table_.data();
  const unsigned char* byteClass = byteClass_.data();
  while (at < end) {
    const std::uint32_t value = table[row + byteClass[*at++]];
    if (value < kSpecial) {
      row = value;
    } else if (Settle(value, at, end, row, data, size, sink)) {
      return true;
    }
  }
  return false;
}

// The content is cut into kStreams consecutive parts that are scanned in lockstep: the parts'
// table look-ups do not wait for each other, so the processor overlaps them. Each part after the
// first starts maxLength - 1 bytes early, so an occurrence that ends in it is seen whole. A part
// that reaches a special state settles it alone and then rejoins the others.
template <int kStreams>
void TermAutomaton::Run(const unsigned char* data, std::size_t size, MatchSink& sink) const {
  const unsigned char* cursor[kStreams];
  const unsigned char* end[kStreams];
  std::uint32_t row[kStreams];
  const std::size_t share = size / kStreams;
  const std::size_t overlap = maxLength_ > 0 ? maxLength_ - 1 : 0;
  for (int k = 0; k < kStreams; ++k) {
    const std::size_t begin = static_cast<std::size_t>(k) * share;
    cursor[k] = data + (begin > overlap ? begin - overlap : 0);
    end[k] = k == kStreams - 1 ? data + size : data + begin + share;
    row[k] = 0;
  }
  const std::uint32_t* table = table_.data();
  const unsigned char* byteClass = byteClass_.data();
  for (;;) {
    std::size_t steps = static_cast<std::size_t>(end[0] - cursor[0]);
    for (int k = 1; k < kStreams; ++k)
      steps = std::min(steps, static_cast<std::size_t>(end[k] - cursor[k]));
    if (steps == 0) break;
    std::uint32_t value[kStreams];
    std::size_t i = 0;
    bool special = false;
    for (; i < steps && !special; ++i) {
      for (int k = 0; k < kStreams; ++k) {
        value[k] = table[row[k] + byteClass[cursor[k][i]]];
        special |= value[k] >= kSpecial;
        row[k] = value[k];
      }
    }
    for (int k = 0; k < kStreams; ++k) {
      cursor[k] += i;
      if (special && value[k] >= kSpecial &&
          Settle(value[k], cursor[k], end[k], row[k], data, size, sink))
        return;
    }
  }
  for (int k = 0; k < kStreams; ++k) {
    if (Walk(cursor[k], end[k], row[k], data, size, sink)) return;
  }
}

void TermAutomaton::Scan(const unsigned char* data, std::size_t size, MatchSink& sink) {
  if (size >= kInterleaveFrom && size >= 8 * maxLength_) {
    Run<3>(data, size, sink);
  } else {
    const unsigned char* at = data;
    std::uint32_t row = 0;
    Walk(at, data + size, row, data, size, sink);
  }
}
