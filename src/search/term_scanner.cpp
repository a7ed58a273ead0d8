#include "search/term_scanner.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace {

// A candidate rate above which stepping through the automaton is cheaper than comparing bytes
// at every fitting fingerprint.
constexpr double kFingerprintRateLimit = 0.02;

// memchr pays off when the anchor byte is rarer than this in typical text.
constexpr double kSingleByteRateLimit = 0.006;

}  // namespace

TermScanner::TermScanner(const std::vector<std::string>& terms, TermMatching matching,
                         ScanMethod method, std::size_t automatonEntries)
    : fold_(&FoldFor(matching)) {
  std::unordered_map<std::string, std::uint32_t> known;
  termPattern_.reserve(terms.size());
  for (const std::string& term : terms) {
    if (term.empty()) {
      termPattern_.push_back(kEmptyTerm);
      continue;
    }
    std::string folded(term.size(), '\0');
    for (std::size_t i = 0; i < term.size(); ++i) {
      folded[i] = static_cast<char>((*fold_)[static_cast<unsigned char>(term[i])]);
    }
    const auto [slot, added] =
        known.try_emplace(folded, static_cast<std::uint32_t>(patterns_.size()));
    if (added) patterns_.push_back(std::move(folded));
    termPattern_.push_back(slot->second);
  }
  found_.Resize(patterns_.size());
  if (patterns_.empty()) return;

  std::vector<std::uint32_t> ids(patterns_.size());
  std::iota(ids.begin(), ids.end(), 0u);
  if (method == ScanMethod::Automatic || method == ScanMethod::SingleByte) {
    PrepareSingleByte(method == ScanMethod::SingleByte ? 1.0 : kSingleByteRateLimit);
    if (method_ == ScanMethod::SingleByte) return;
  }
  const bool fewPatterns = patterns_.size() <= TermFingerprints::kMaxPatterns;
  if (method == ScanMethod::Automatic && fewPatterns && TermFingerprints::VectorTestAvailable()) {
    fingerprints_.emplace(patterns_, ids, *fold_, FingerprintSimd::WhenAvailable);
    if (fingerprints_->CandidateRate() <= kFingerprintRateLimit) {
      method_ = ScanMethod::Fingerprints;
      return;
    }
    fingerprints_.reset();
  }
  if ((method == ScanMethod::Fingerprints || method == ScanMethod::PortableFingerprints) &&
      fewPatterns) {
    const bool portable =
        method == ScanMethod::PortableFingerprints || !TermFingerprints::VectorTestAvailable();
    fingerprints_.emplace(patterns_, ids, *fold_,
                          portable ? FingerprintSimd::Never : FingerprintSimd::WhenAvailable);
    method_ = portable ? ScanMethod::PortableFingerprints : ScanMethod::Fingerprints;
    return;
  }
  BuildAutomata(automatonEntries);
}

// One pattern whose rarest byte has a single raw form (exact matching, or a byte without a
// case partner) is found fastest by memchr.
void TermScanner::PrepareSingleByte(double rateLimit) {
  if (patterns_.size() != 1) return;
  std::array<int, 256> forms{};
  for (const unsigned char folded : *fold_) {
    ++forms[folded];
  }
  // A folded byte folds to itself, so a folded byte with one form is the raw byte to look for.
  const std::string& pattern = patterns_[0];
  double bestRate = 2;
  for (std::size_t offset = 0; offset < pattern.size(); ++offset) {
    const auto folded = static_cast<unsigned char>(pattern[offset]);
    if (forms[folded] != 1) continue;
    const double rate = TextFrequency(folded);
    if (rate < bestRate) {
      bestRate = rate;
      anchorByte_ = folded;
      anchorOffset_ = offset;
    }
  }
  if (bestRate <= rateLimit) method_ = ScanMethod::SingleByte;
}

void TermScanner::BuildAutomata(std::size_t automatonEntries) {
  method_ = ScanMethod::Automaton;
  std::vector<std::string> group;
  std::vector<std::uint32_t> ids;
  std::array<bool, 256> used{};
  std::size_t distinct = 0;
  std::size_t length = 0;
  for (std::uint32_t i = 0; i < patterns_.size(); ++i) {
    const std::string& pattern = patterns_[i];
    // A term too long for any automaton of the allowed size is searched on its own.
    std::array<bool, 256> own{};
    std::size_t ownDistinct = 0;
    for (const char byte : pattern) {
      bool& seen = own[static_cast<unsigned char>(byte)];
      if (!seen) ++ownDistinct;
      seen = true;
    }
    if (TermAutomaton::TableEntries(pattern.size(), ownDistinct) > automatonEntries) {
      longPatterns_.push_back(
          {i, LongSearcher(pattern.begin(), pattern.end(), FoldHash{fold_}, FoldEqual{fold_})});
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
      automata_.emplace_back(group, ids, *fold_);
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
  if (!group.empty()) automata_.emplace_back(group, ids, *fold_);
}

void TermScanner::ScanLongPatterns(std::string_view content) {
  for (const LongPattern& pattern : longPatterns_) {
    if (std::search(content.begin(), content.end(), pattern.searcher) != content.end()) {
      found_.Mark(pattern.id);
    }
  }
}

void TermScanner::ScanSingleByte(std::string_view content) {
  const std::string& pattern = patterns_[0];
  if (content.size() < pattern.size()) return;
  const auto* data = reinterpret_cast<const unsigned char*>(content.data());
  // The anchor of an occurrence stands between these two positions.
  const unsigned char* from = data + anchorOffset_;
  const unsigned char* const last = data + (content.size() - pattern.size()) + anchorOffset_;
  while (from <= last) {
    const void* hit = std::memchr(from, anchorByte_, static_cast<std::size_t>(last - from) + 1);
    if (hit == nullptr) return;
    const auto* anchor = static_cast<const unsigned char*>(hit);
    if (FoldedEqual(*fold_, pattern, anchor - anchorOffset_)) {
      found_.Mark(0);
      return;
    }
    from = anchor + 1;
  }
}

void TermScanner::Scan(std::string_view content) {
  found_.Reset();
  contentNotEmpty_ = !content.empty();
  if (content.empty()) return;
  switch (method_) {
    case ScanMethod::SingleByte:
      ScanSingleByte(content);
      break;
    case ScanMethod::Fingerprints:
    case ScanMethod::PortableFingerprints:
      fingerprints_->Scan(content, found_);
      break;
    case ScanMethod::Automaton:
      for (const TermAutomaton& automaton : automata_) {
        if (found_.AllFound()) break;
        automaton.Scan(content, found_);
      }
      if (!found_.AllFound()) ScanLongPatterns(content);
      break;
    case ScanMethod::Automatic:
    case ScanMethod::NoPatterns:
      break;
  }
}
