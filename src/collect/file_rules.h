#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "collect/file_table.h"
#include "shell/main_form.h"

/// Number of the first rule (from 1) whose reduced pattern matches upperName and whose limit
/// withinLimit(MaxSize) accepts; 0 when none does. withinLimit is only asked after a name
/// matched, so a caller can leave the size unknown until some rule wants it.
template <typename WithinLimit>
std::int32_t FirstAcceptingRule(const std::vector<FileTypeEntry>& rules,
                                std::u16string_view upperName, WithinLimit&& withinLimit) {
  for (std::size_t rule = 1; rule < rules.size(); ++rule) {
    if (!MainForm::MatchPattern(upperName, rules[rule].NamePattern)) continue;
    if (withinLimit(rules[rule].MaxSize)) return static_cast<std::int32_t>(rule);
  }
  return 0;
}
