#include "search/term_scanner.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "search/term_automaton.h"
#include "search/term_fingerprints.h"
#include "search/term_long_patterns.h"
#include "search/term_pattern_set.h"
#include "search/term_single_byte.h"

namespace {

MatchSink MakeSink(std::size_t termCount, PatternSet& set) {
  return MatchSink(termCount, set.outputs, std::move(set.checks));
}

}  // namespace

TermScanner::TermScanner(const std::vector<std::vector<TermForm>>& terms, const ByteFold& fold,
                         ScanMethod method, std::size_t automatonEntries)
    : TermScanner(terms.size(), BuildPatternSet(terms, fold), fold, method, automatonEntries) {}

TermScanner::TermScanner(std::size_t termCount, PatternSet set, const ByteFold& fold,
                         ScanMethod method, std::size_t automatonEntries)
    : fold_(std::make_unique<const ByteFold>(fold)),
      emptyTerms_(std::move(set.emptyTerms)),
      sink_(MakeSink(termCount, set)),
      carryLength_(set.longestForm > 0 ? set.longestForm - 1 : 0) {
  const std::vector<std::string>& patterns = set.patterns;
  method_ =
      ChooseScanMethod(patterns, *fold_, method,
                       TermFingerprints::VectorTestAvailable() ? VectorInstructions::Available
                                                               : VectorInstructions::Unavailable);
  std::vector<std::uint32_t> ids(patterns.size());
  std::iota(ids.begin(), ids.end(), 0u);
  switch (method_) {
    case ScanMethod::SingleByte:
      matchers_.push_back(std::make_unique<SingleByteMatcher>(patterns[0], *fold_,
                                                              *FindAnchor(patterns[0], *fold_)));
      break;
    case ScanMethod::Fingerprints:
    case ScanMethod::PortableFingerprints:
      matchers_.push_back(std::make_unique<TermFingerprints>(patterns, ids, *fold_,
                                                             method_ == ScanMethod::Fingerprints
                                                                 ? FingerprintSimd::WhenAvailable
                                                                 : FingerprintSimd::Never));
      break;
    case ScanMethod::Automaton:
      BuildAutomata(patterns, automatonEntries);
      break;
    case ScanMethod::Automatic:
    case ScanMethod::NoPatterns:
      break;
  }
  carry_.reserve(carryLength_);
  seam_.reserve(2 * carryLength_);
}

// Patterns go into automata in order, a new one whenever the table would pass its bound; a
// pattern too long for any automaton of that size is searched on its own.
void TermScanner::BuildAutomata(const std::vector<std::string>& patterns,
                                std::size_t automatonEntries) {
  std::vector<std::string> group;
  std::vector<std::uint32_t> ids;
  std::vector<std::string> longPatterns;
  std::vector<std::uint32_t> longIds;
  std::array<bool, 256> used{};
  std::size_t distinct = 0;
  std::size_t length = 0;
  for (std::uint32_t i = 0; i < patterns.size(); ++i) {
    const std::string& pattern = patterns[i];
    std::array<bool, 256> own{};
    std::size_t ownDistinct = 0;
    for (const char byte : pattern) {
      bool& seen = own[static_cast<unsigned char>(byte)];
      if (!seen) ++ownDistinct;
      seen = true;
    }
    if (TermAutomaton::TableEntries(pattern.size(), ownDistinct) > automatonEntries) {
      longPatterns.push_back(pattern);
      longIds.push_back(i);
      continue;
    }
    std::array<bool, 256> nowUsed = used;
    std::size_t nowDistinct = distinct;
    for (const char byte : pattern) {
      bool& seen = nowUsed[static_cast<unsigned char>(byte)];
      if (!seen) ++nowDistinct;
      seen = true;
    }
    if (!group.empty() &&
        TermAutomaton::TableEntries(length + pattern.size(), nowDistinct) > automatonEntries) {
      matchers_.push_back(std::make_unique<TermAutomaton>(group, ids, *fold_));
      group.clear();
      ids.clear();
      nowUsed = own;
      nowDistinct = ownDistinct;
      length = 0;
    }
    group.push_back(pattern);
    ids.push_back(i);
    used = nowUsed;
    distinct = nowDistinct;
    length += pattern.size();
  }
  if (!group.empty()) matchers_.push_back(std::make_unique<TermAutomaton>(group, ids, *fold_));
  if (!longPatterns.empty())
    matchers_.push_back(std::make_unique<LongPatternMatcher>(longPatterns, longIds, *fold_));
}

void TermScanner::Begin() {
  sink_.Reset();
  carry_.clear();
  contentNotEmpty_ = false;
}

void TermScanner::ScanBytes(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (const auto& matcher : matchers_) {
    if (sink_.AllFound()) return;
    matcher->Scan(data, bytes.size(), sink_);
  }
}

void TermScanner::Feed(std::string_view block) {
  if (block.empty()) return;
  if (!contentNotEmpty_) {
    contentNotEmpty_ = true;
    for (const std::uint32_t term : emptyTerms_)
      sink_.Mark(term);
  }
  if (matchers_.empty() || sink_.AllFound()) return;
  // An occurrence across the boundary starts in the carried bytes and ends within the first
  // carryLength_ bytes of the block; one that lies wholly on either side is found there.
  if (!carry_.empty()) {
    seam_.assign(carry_);
    seam_.append(block.substr(0, std::min(carryLength_, block.size())));
    ScanBytes(seam_);
  }
  ScanBytes(block);
  if (block.size() >= carryLength_) {
    carry_.assign(block.substr(block.size() - carryLength_));
  } else {
    carry_.append(block);
    if (carry_.size() > carryLength_) carry_.erase(0, carry_.size() - carryLength_);
  }
}

void TermScanner::Finish() {
  carry_.clear();
}
