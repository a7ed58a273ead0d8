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

MatchSink::MatchSink(std::size_t termCount, const std::vector<std::vector<PatternOutput>>& outputs,
                     std::vector<FormCheck> checks)
    : checks_(std::move(checks)), found_(termCount, 0) {
  findableTerm_.assign(termCount, 0);
  outputStart_.push_back(0);
  for (const auto& list : outputs) {
    for (const PatternOutput& output : list) {
      outputs_.push_back(output);
      findableTerm_[output.term] = 1;
    }
    outputStart_.push_back(static_cast<std::uint32_t>(outputs_.size()));
  }
  findable_ = static_cast<std::size_t>(std::count(findableTerm_.begin(), findableTerm_.end(), 1));
  remaining_ = findable_;
}

void MatchSink::Reset() {
  for (const std::uint32_t term : foundList_)
    found_[term] = 0;
  foundList_.clear();
  remaining_ = findable_;
}

void MatchSink::Mark(std::uint32_t term) {
  if (found_[term] != 0) return;
  found_[term] = 1;
  foundList_.push_back(term);
  if (findableTerm_[term] != 0) --remaining_;
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
