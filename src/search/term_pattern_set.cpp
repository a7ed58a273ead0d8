#include "search/term_pattern_set.h"

#include <algorithm>
#include <array>
#include <functional>

namespace {

std::string Folded(const ByteFold& fold, const std::string& bytes) {
  std::string folded(bytes.size(), '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    folded[i] = static_cast<char>(fold[static_cast<unsigned char>(bytes[i])]);
  return folded;
}

// The other bytes that fold like each byte.
using FoldClasses = std::array<std::vector<unsigned char>, 256>;

FoldClasses OthersFoldingAlike(const ByteFold& fold) {
  FoldClasses others;
  for (std::size_t a = 0; a < 256; ++a) {
    for (std::size_t b = 0; b < 256; ++b) {
      if (a != b && fold[a] == fold[b]) others[a].push_back(static_cast<unsigned char>(b));
    }
  }
  return others;
}

// True when every string that folds like one of the unit's strings is one of them: then a
// folded comparison with the unit matches exactly what the unit allows.
bool Closed(const std::vector<std::string>& unit, const FoldClasses& others) {
  for (const std::string& alternative : unit) {
    for (std::size_t i = 0; i < alternative.size(); ++i) {
      for (const unsigned char other : others[static_cast<unsigned char>(alternative[i])]) {
        std::string variant = alternative;
        variant[i] = static_cast<char>(other);
        if (std::find(unit.begin(), unit.end(), variant) == unit.end()) return false;
      }
    }
  }
  return true;
}

// The unit's strings folded, without repeats, in written order.
std::vector<std::string> DistinctFolded(const std::vector<std::string>& unit,
                                        const ByteFold& fold) {
  std::vector<std::string> distinct;
  for (const std::string& alternative : unit) {
    std::string folded = Folded(fold, alternative);
    if (std::find(distinct.begin(), distinct.end(), folded) == distinct.end())
      distinct.push_back(std::move(folded));
  }
  return distinct;
}

}  // namespace

PatternSetBuilder::PatternSetBuilder(const ByteFold& fold, std::size_t variantLimit)
    : fold_(fold), others_(OthersFoldingAlike(fold)), limit_(variantLimit) {}

void PatternSetBuilder::Add(std::uint32_t term, const TermForm& form) {
  if (form.empty()) {
    if (set_.emptyTerms.empty() || set_.emptyTerms.back() != term) set_.emptyTerms.push_back(term);
    return;
  }
  std::size_t longest = 0;
  for (const auto& unit : form) {
    std::size_t unitLongest = 0;
    for (const std::string& alternative : unit)
      unitLongest = std::max(unitLongest, alternative.size());
    longest += unitLongest;
  }
  set_.longestForm = std::max(set_.longestForm, longest);
  // The prefix whose variants stay within the limit; at least the first unit.
  std::vector<std::vector<std::string>> folded;
  bool closed = true;
  std::size_t variants = 1;
  for (const auto& unit : form) {
    std::vector<std::string> distinct = DistinctFolded(unit, fold_);
    if (!folded.empty() && variants * distinct.size() > limit_) break;
    variants *= distinct.size();
    closed = closed && Closed(unit, others_);
    folded.push_back(std::move(distinct));
  }
  std::uint32_t checkIndex = PatternOutput::kNoCheck;
  if (!closed || folded.size() < form.size()) {
    checkIndex = static_cast<std::uint32_t>(set_.checks.size());
    set_.checks.emplace_back(form);
  }
  prefix_.clear();
  Expand(folded, 0, {term, checkIndex});
}

// The number of the pattern, added when it is new. The table of pattern numbers is kept at most
// half full, so a look-up probes a few slots; it holds each pattern's hash, not a copy of it.
std::uint32_t PatternSetBuilder::Intern(const std::string& pattern) {
  if (2 * (set_.patterns.size() + 1) > slots_.size()) {
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()), Slot{0, kNone});
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.pattern == kNone) continue;
      std::size_t at = slot.hash & (slots_.size() - 1);
      while (slots_[at].pattern != kNone)
        at = (at + 1) & (slots_.size() - 1);
      slots_[at] = slot;
    }
  }
  const auto hash = static_cast<std::uint32_t>(std::hash<std::string>{}(pattern));
  std::size_t at = hash & (slots_.size() - 1);
  for (; slots_[at].pattern != kNone; at = (at + 1) & (slots_.size() - 1)) {
    if (slots_[at].hash == hash && set_.patterns[slots_[at].pattern] == std::string_view(pattern))
      return slots_[at].pattern;
  }
  slots_[at] = {hash, static_cast<std::uint32_t>(set_.patterns.size())};
  set_.patterns.push_back(pattern);
  last_.push_back(kNone);
  return slots_[at].pattern;
}

// Every pattern that units[next, end) add to the prefix built so far.
void PatternSetBuilder::Expand(const std::vector<std::vector<std::string>>& units, std::size_t next,
                               const PatternOutput& output) {
  if (next == units.size()) {
    const std::uint32_t pattern = Intern(prefix_);
    for (std::uint32_t e = last_[pattern]; e != kNone; e = entries_[e].previous) {
      const PatternOutput& known = entries_[e].output;
      if (known.term == output.term &&
          (known.check == PatternOutput::kNoCheck || known.check == output.check))
        return;
    }
    entries_.push_back({output, pattern, last_[pattern]});
    last_[pattern] = static_cast<std::uint32_t>(entries_.size() - 1);
    return;
  }
  const std::size_t length = prefix_.size();
  for (const std::string& piece : units[next]) {
    prefix_.resize(length);
    prefix_ += piece;
    Expand(units, next + 1, output);
  }
  prefix_.resize(length);
}

PatternSet PatternSetBuilder::Take() {
  // The outputs grouped by pattern, each pattern's in the order they were added.
  std::vector<std::uint32_t>& start = set_.outputStart;
  start.assign(set_.patterns.size() + 1, 0);
  for (const Entry& entry : entries_)
    ++start[entry.pattern + 1];
  for (std::size_t p = 0; p < set_.patterns.size(); ++p)
    start[p + 1] += start[p];
  set_.outputs.resize(entries_.size());
  std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
  for (const Entry& entry : entries_)
    set_.outputs[next[entry.pattern]++] = entry.output;
  entries_ = {};
  last_ = {};
  slots_ = {};
  PatternSet set = std::move(set_);
  set_ = {};
  return set;
}

PatternSet BuildPatternSet(const std::vector<std::vector<TermForm>>& terms, const ByteFold& fold,
                           std::size_t variantLimit) {
  PatternSetBuilder builder(fold, variantLimit);
  for (std::uint32_t term = 0; term < terms.size(); ++term) {
    for (const TermForm& form : terms[term])
      builder.Add(term, form);
  }
  return builder.Take();
}
