#include "search/term_automaton.h"

#include <algorithm>

namespace {

// Below this size one pass is as fast as several interleaved ones.
constexpr std::size_t kInterleaveFrom = 256;

}  // namespace

std::size_t TermAutomaton::TableEntries(std::size_t totalLength, std::size_t distinctBytes) {
  return (totalLength + 1) * (std::min<std::size_t>(distinctBytes, 255) + 1);
}

TermAutomaton::TermAutomaton(const std::vector<std::string>& patterns,
                             const std::vector<std::uint32_t>& ids, const ByteFold& fold) {
  // Byte classes: one per folded byte that some pattern uses, one more for all other bytes.
  std::array<bool, 256> used{};
  for (const std::string& pattern : patterns) {
    for (const char byte : pattern)
      used[static_cast<unsigned char>(byte)] = true;
    maxLength_ = std::max(maxLength_, pattern.size());
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

  // The trie, with -1 for a missing edge.
  std::vector<std::int32_t> edges(stride_, -1);
  std::vector<std::uint32_t> ownPattern(1, kNone);
  std::vector<std::uint32_t> ownLength(1, 0);
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    std::size_t state = 0;
    for (const char byte : patterns[i]) {
      const std::size_t slot = state * stride_ + classOfFolded[static_cast<unsigned char>(byte)];
      if (edges[slot] < 0) {
        edges[slot] = static_cast<std::int32_t>(ownPattern.size());
        ownPattern.push_back(kNone);
        ownLength.push_back(0);
        edges.resize(edges.size() + stride_, -1);
      }
      state = static_cast<std::size_t>(edges[slot]);
    }
    ownPattern[state] = ids[i];
    ownLength[state] = static_cast<std::uint32_t>(patterns[i].size());
  }

  // Breadth-first: failure links, dictionary links, and missing edges completed from the
  // failure state, so that the scan never follows a failure link.
  const std::size_t states = ownPattern.size();
  std::vector<std::uint32_t> failure(states, 0);
  std::vector<std::uint32_t> dictionary(states, kNone);
  std::vector<std::uint32_t> order{0};
  order.reserve(states);
  for (std::size_t next = 0; next < order.size(); ++next) {
    const std::uint32_t state = order[next];
    const std::uint32_t fail = failure[state];
    dictionary[state] = state != 0 && ownPattern[fail] != kNone ? fail : dictionary[fail];
    for (std::uint32_t c = 0; c < stride_; ++c) {
      std::int32_t& edge = edges[state * stride_ + c];
      if (edge >= 0) {
        // The root's children fail to the root; deeper states to where their parent's failure
        // state goes on the same byte.
        failure[static_cast<std::size_t>(edge)] =
            state == 0 ? 0 : static_cast<std::uint32_t>(edges[fail * stride_ + c]);
        order.push_back(static_cast<std::uint32_t>(edge));
      } else {
        edge = state == 0 ? 0 : edges[fail * stride_ + c];
      }
    }
  }

  // Renumber: states that report something come last, so the scan tests one comparison; the
  // others in breadth-first order, so the shallow states, where a scan spends most of its steps,
  // share few cache lines.
  std::vector<std::uint32_t> renumbered(states);
  std::uint32_t plain = 0;
  for (const std::uint32_t s : order) {
    if (ownPattern[s] == kNone && dictionary[s] == kNone) renumbered[s] = plain++;
  }
  std::uint32_t matching = plain;
  for (const std::uint32_t s : order) {
    if (ownPattern[s] != kNone || dictionary[s] != kNone) renumbered[s] = matching++;
  }
  firstMatch_ = plain * stride_;
  table_.resize(states * stride_);
  outputs_.resize(states - plain);
  for (std::size_t s = 0; s < states; ++s) {
    const std::uint32_t row = renumbered[s] * stride_;
    for (std::uint32_t c = 0; c < stride_; ++c) {
      table_[row + c] = renumbered[static_cast<std::size_t>(edges[s * stride_ + c])] * stride_;
    }
    if (renumbered[s] >= plain) {
      outputs_[renumbered[s] - plain] = {
          ownPattern[s], ownLength[s],
          dictionary[s] == kNone ? kNone : renumbered[dictionary[s]] - plain};
    }
  }
}

// end: one past the last byte of the occurrences that end in this state.
bool TermAutomaton::Report(std::uint32_t state, const unsigned char* data, std::size_t size,
                           std::size_t end, MatchSink& sink) const {
  std::uint32_t index = state / stride_ - firstMatch_ / stride_;
  while (index != kNone) {
    const Output& output = outputs_[index];
    if (output.pattern != kNone && sink.Report(output.pattern, data, size, end - output.length))
      return true;
    index = output.next;
  }
  return false;
}

// The content is cut into kStreams consecutive parts that are scanned in lockstep: the parts'
// table look-ups do not wait for each other, so the processor overlaps them. Each part after the
// first starts maxLength - 1 bytes early, so an occurrence that ends in it is seen whole.
template <int kStreams>
void TermAutomaton::Run(const unsigned char* data, std::size_t size, MatchSink& sink) const {
  const unsigned char* cursor[kStreams];
  const unsigned char* end[kStreams];
  std::uint32_t state[kStreams];
  const std::size_t share = size / kStreams;
  const std::size_t overlap = maxLength_ - 1;
  for (int k = 0; k < kStreams; ++k) {
    const std::size_t begin = static_cast<std::size_t>(k) * share;
    cursor[k] = data + (begin > overlap ? begin - overlap : 0);
    end[k] = k == kStreams - 1 ? data + size : data + begin + share;
    state[k] = 0;
  }
  std::size_t steps = static_cast<std::size_t>(end[0] - cursor[0]);
  for (int k = 1; k < kStreams; ++k) {
    steps = std::min(steps, static_cast<std::size_t>(end[k] - cursor[k]));
  }
  const std::uint32_t* table = table_.data();
  const unsigned char* byteClass = byteClass_.data();
  const std::uint32_t firstMatch = firstMatch_;
  for (std::size_t i = 0; i < steps; ++i) {
    bool matched = false;
    for (int k = 0; k < kStreams; ++k) {
      state[k] = table[state[k] + byteClass[cursor[k][i]]];
      matched |= state[k] >= firstMatch;
    }
    if (matched) {
      for (int k = 0; k < kStreams; ++k) {
        if (state[k] >= firstMatch &&
            Report(state[k], data, size, static_cast<std::size_t>(cursor[k] + i + 1 - data), sink))
          return;
      }
    }
  }
  for (int k = 0; k < kStreams; ++k) {
    std::uint32_t current = state[k];
    for (const unsigned char* p = cursor[k] + steps; p < end[k]; ++p) {
      current = table[current + byteClass[*p]];
      if (current >= firstMatch &&
          Report(current, data, size, static_cast<std::size_t>(p + 1 - data), sink))
        return;
    }
  }
}

void TermAutomaton::Scan(const unsigned char* data, std::size_t size, MatchSink& sink) {
  if (size >= kInterleaveFrom && size >= 8 * maxLength_) {
    Run<3>(data, size, sink);
  } else {
    Run<1>(data, size, sink);
  }
}
