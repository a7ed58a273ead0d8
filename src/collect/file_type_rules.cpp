#include "collect/file_type_rules.h"

#include <cmath>

#include "collect/wildcard.h"
#include "support/number_text.h"
#include "support/path_name.h"

void FileTypeRules::Add(std::u16string_view pattern, double maxSize) {
  FileTypeRule rule;
  rule.Pattern = codePage_->UpperCase(pattern);
  // A limit beyond the 64-bit range stays a limit (saturated) instead of wrapping to a negative
  // "any size"; a value that is no number at all sets no limit, like a line without a size.
  rule.MaxSize = std::isnan(maxSize) ? -1 : SaturatingRound(maxSize);
  rule.NamePattern = FileNameOf(rule.Pattern);
  rules_.push_back(std::move(rule));
}

std::optional<std::size_t> FileTypeRules::RuleFor(std::u16string_view name, FileSize& size,
                                                  FileRejection* why) const {
  const std::u16string upperName = codePage_->UpperCase(name);
  bool patternMatched = false;
  for (std::size_t rule = 0; rule < rules_.size(); ++rule) {
    if (!MatchPattern(upperName, rules_[rule].NamePattern)) continue;
    patternMatched = true;
    const std::int64_t maxSize = rules_[rule].MaxSize;
    if (maxSize < 0 || size.Bytes() <= maxSize) return rule;
  }
  if (why != nullptr)
    *why = patternMatched ? FileRejection::OverSizeLimit : FileRejection::NoPattern;
  return std::nullopt;
}
