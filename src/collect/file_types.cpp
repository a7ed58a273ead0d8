#include <cmath>
#include <cstdint>
#include <string>

#include "collect/file_rules.h"
#include "platform/code_page.h"
#include "shell/main_form.h"
#include "support/mathe_code.h"
#include "support/text_code.h"

void MainForm::AddFileType(const std::u16string& pattern, double maxSize) {
  if (FileTypes.empty()) FileTypes.emplace_back();  // slot 0 is never a rule
  FileTypeEntry rule;
  rule.Pattern = platform::UpperCase(pattern);
  // A limit beyond the 64-bit range stays a limit (saturated) instead of wrapping to a negative
  // "any size"; a value that is no number at all sets no limit, like a line without a size.
  rule.MaxSize = std::isnan(maxSize) ? -1 : SaturatingRound(maxSize);
  rule.NamePattern = FileNameOf(rule.Pattern);
  FileTypes.push_back(std::move(rule));
}

std::int32_t MainForm::GetFileType(const std::u16string& name, double size) const {
  return FirstAcceptingRule(FileTypes, platform::UpperCase(name), [size](std::int64_t maxSize) {
    return !(size > static_cast<double>(maxSize)) || maxSize < 0;
  });
}
