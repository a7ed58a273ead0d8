#include "search/term_scanner.h"

#include <algorithm>
#include <numeric>

#include "search/term_anchor_bytes.h"
#include "search/term_automaton.h"
#include "search/term_fingerprints.h"
#include "search/term_pattern_set.h"

namespace {

MatchSink MakeSink(std::size_t termCount, PatternSet& set) {
  return MatchSink(termCount, std::move(set.outputStart), std::move(set.outputs),
                   std::move(set.checks));
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
  const PatternList& patterns = set.patterns;
  method_ =
      ChooseScanMethod(patterns, *fold_, method,
                       TermFingerprints::VectorTestAvailable() ? VectorInstructions::Available
                                                               : VectorInstructions::Unavailable);
  std::vector<std::uint32_t> ids(patterns.size());
  std::iota(ids.begin(), ids.end(), 0u);
  switch (method_) {
    case ScanMethod::AnchorBytes:
    case ScanMethod::PortableAnchorBytes: {
      const std::vector<std::string> strings = patterns.Strings();
      matcher_ = std::make_unique<AnchorBytesMatcher>(
          strings, ids, *fold_, *ChooseAnchors(strings, *fold_),
          method_ == ScanMethod::AnchorBytes ? AnchorSimd::WhenAvailable : AnchorSimd::Narrow);
      break;
    }
    case ScanMethod::Fingerprints:
    case ScanMethod::PortableFingerprints:
      matcher_ = (std::make_unique<TermFingerprints>(patterns.Strings(), ids, *fold_,
                                                     method_ == ScanMethod::Fingerprints
                                                         ? FingerprintSimd::WhenAvailable
                                                         : FingerprintSimd::Never));
      break;
    case ScanMethod::Automaton:
      matcher_ = std::make_unique<TermAutomaton>(std::move(set.patterns), *fold_, automatonEntries);
      break;
    case ScanMethod::Automatic:
    case ScanMethod::NoPatterns:
      break;
  }
  carry_.reserve(carryLength_);
  seam_.reserve(2 * carryLength_);
}

void TermScanner::Begin() {
  sink_.Reset();
  carry_.clear();
  contentNotEmpty_ = false;
}

void TermScanner::ScanBytes(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (!sink_.AllFound()) matcher_->Scan(data, bytes.size(), sink_);
}

void TermScanner::Feed(std::string_view block) {
  if (block.empty()) return;
  if (!contentNotEmpty_) {
    contentNotEmpty_ = true;
    for (const std::uint32_t term : emptyTerms_)
      sink_.Mark(term);
  }
  if (matcher_ == nullptr || sink_.AllFound()) return;
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
