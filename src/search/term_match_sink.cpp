#include "search/term_match_sink.h"

#include <algorithm>
#include <cstring>

FormCheck::FormCheck(const TermForm& form) {
  for (const auto& unit : form) {
    std::size_t longest = 0;
    for (const std::string& alternative : unit) {
      alternatives_.push_back(alternative);
      longest = std::max(longest, alternative.size());
    }
    unitEnd_.push_back(static_cast<std::uint32_t>(alternatives_.size()));
    longest_ += longest;
  }
}

bool FormCheck::Matches(const unsigned char* data, std::size_t size, std::size_t start) const {
  std::size_t at = start;
  std::uint32_t first = 0;
  for (const std::uint32_t end : unitEnd_) {
    bool matched = false;
    for (std::uint32_t a = first; a < end && !matched; ++a) {
      const std::string& alternative = alternatives_[a];
      if (alternative.size() <= size - at &&
          std::memcmp(data + at, alternative.data(), alternative.size()) == 0) {
        at += alternative.size();
        matched = true;
      }
    }
    if (!matched) return false;
    first = end;
  }
  return true;
}

MatchSink::MatchSink(std::size_t termCount, std::vector<std::uint32_t> outputStart,
                     std::vector<PatternOutput> outputs, std::vector<FormCheck> checks)
    : outputStart_(std::move(outputStart)),
      outputs_(std::move(outputs)),
      checks_(std::move(checks)),
      found_(termCount, 0) {
  if (outputStart_.empty()) outputStart_.push_back(0);
  findableTerm_.assign(termCount, 0);
  for (const PatternOutput& output : outputs_)
    findableTerm_[output.term] = 1;
  findable_ = static_cast<std::size_t>(std::count(findableTerm_.begin(), findableTerm_.end(), 1));
  // Which patterns stand for each term, so that finding a term resolves its patterns at once.
  termPatternStart_.assign(termCount + 1, 0);
  for (const PatternOutput& output : outputs_)
    ++termPatternStart_[output.term + 1];
  for (std::size_t term = 0; term < termCount; ++term)
    termPatternStart_[term + 1] += termPatternStart_[term];
  termPatterns_.resize(outputs_.size());
  std::vector<std::uint32_t> next(termPatternStart_.begin(), termPatternStart_.end() - 1);
  for (std::uint32_t pattern = 0; pattern + 1 < outputStart_.size(); ++pattern) {
    for (std::uint32_t o = outputStart_[pattern]; o < outputStart_[pattern + 1]; ++o)
      termPatterns_[next[outputs_[o].term]++] = pattern;
  }
  resolved_.assign(outputStart_.size() - 1, 0);
  remaining_ = findable_;
}

void MatchSink::Reset() {
  for (const std::uint32_t term : foundList_)
    found_[term] = 0;
  foundList_.clear();
  for (const std::uint32_t pattern : resolvedList_)
    resolved_[pattern] = 0;
  resolvedList_.clear();
  remaining_ = findable_;
}

void MatchSink::Mark(std::uint32_t term) {
  if (found_[term] != 0) return;
  found_[term] = 1;
  foundList_.push_back(term);
  if (findableTerm_[term] != 0) --remaining_;
  for (std::uint32_t i = termPatternStart_[term]; i < termPatternStart_[term + 1]; ++i) {
    const std::uint32_t pattern = termPatterns_[i];
    if (resolved_[pattern] != 0) continue;
    bool all = true;
    for (std::uint32_t o = outputStart_[pattern]; o < outputStart_[pattern + 1] && all; ++o)
      all = found_[outputs_[o].term] != 0;
    if (!all) continue;
    resolved_[pattern] = 1;
    resolvedList_.push_back(pattern);
  }
}

bool MatchSink::ReportSlow(std::uint32_t pattern, const unsigned char* data, std::size_t size,
                           std::size_t start) {
  for (std::uint32_t o = outputStart_[pattern]; o < outputStart_[pattern + 1]; ++o) {
    const PatternOutput& output = outputs_[o];
    if (found_[output.term] != 0) continue;
    if (output.check == PatternOutput::kNoCheck || checks_[output.check].Matches(data, size, start))
      Mark(output.term);
  }
  return AllFound();
}
