#include <cmath>
#include <cstdint>
#include <string>

#include "shell/main_form.h"
#include "support/mathe_code.h"
#include "support/text_code.h"

void MainForm::AddFileType(const std::u16string& pattern, double maxSize) {
  if (FileTypes.empty()) FileTypes.emplace_back();  // slot 0 is never a rule
  FileTypeEntry rule;
  rule.Pattern = System().CodePage().UpperCase(pattern);
  // A limit beyond the 64-bit range stays a limit (saturated) instead of wrapping to a negative
  // "any size"; a value that is no number at all sets no limit, like a line without a size.
  rule.MaxSize = std::isnan(maxSize) ? -1 : SaturatingRound(maxSize);
  rule.NamePattern = FileNameOf(rule.Pattern);
  FileTypes.push_back(std::move(rule));
}

std::int32_t MainForm::GetFileType(const std::u16string& name, FileSize& size,
                                   FileRejection* why) const {
  const std::u16string upperName = System().CodePage().UpperCase(name);
  bool patternMatched = false;
  for (std::size_t rule = 1; rule < FileTypes.size(); ++rule) {
    if (!MatchPattern(upperName, FileTypes[rule].NamePattern)) continue;
    patternMatched = true;
    const std::int64_t maxSize = FileTypes[rule].MaxSize;
    if (maxSize < 0 || size.Bytes() <= maxSize) return static_cast<std::int32_t>(rule);
  }
  if (why != nullptr)
    *why = patternMatched ? FileRejection::OverSizeLimit : FileRejection::NoPattern;
  return 0;
}
