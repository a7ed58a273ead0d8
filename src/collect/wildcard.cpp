// The system's own wildcard matcher. It places each literal run of the pattern at its first
// occurrence in the rest of the name and never tries a later one, so it is not a backtracking
// glob: "*.TXT" rejects "A.TXT.TXT". Which names match depends on exactly this scan, so the
// steps below keep its order, and positions count from 1 as FirstLiteralPos reports them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "collect/wildcard.h"

namespace {

bool IsWildcard(char16_t character) {
  return character == u'*' || character == u'?';
}

}  // namespace

std::int32_t FirstLiteralPos(std::u16string_view pattern) {
  const auto literal = std::find_if_not(pattern.begin(), pattern.end(), IsWildcard);
  if (literal == pattern.end()) return 0;
  return static_cast<std::int32_t>(literal - pattern.begin()) + 1;
}

std::int32_t LiteralLength(std::u16string_view pattern, std::int32_t start) {
  const auto length = static_cast<std::int64_t>(pattern.size());
  // Only a start inside the pattern names a literal run; anything else has none.
  if (start < 1 || start > length) return 0;
  const auto from = pattern.begin() + (start - 1);
  return static_cast<std::int32_t>(std::find_if(from, pattern.end(), IsWildcard) - from);
}

bool MatchPattern(std::u16string_view name, std::u16string_view pattern) {
  std::u16string_view restOfPattern = pattern;
  std::u16string_view restOfName = name;
  std::size_t literalPos = 0;
  std::size_t literalLength = 1;
  std::size_t foundAt = 0;

  for (;;) {
    // Drop the literal run placed on the previous pass together with everything in front of it;
    // on the first pass this removes nothing.
    restOfPattern.remove_prefix(literalPos + literalLength - 1);
    restOfName.remove_prefix(foundAt + literalLength - 1);

    literalPos = static_cast<std::size_t>(FirstLiteralPos(restOfPattern));
    if (literalPos != 0) {
      literalLength = static_cast<std::size_t>(
          LiteralLength(restOfPattern, static_cast<std::int32_t>(literalPos)));
      const std::u16string_view literal = restOfPattern.substr(literalPos - 1, literalLength);
      const std::size_t found = restOfName.find(literal);
      if (found == std::u16string_view::npos) return false;
      foundAt = found + 1;
    } else {
      // Only wildcards are left: they must account for the whole rest of the name.
      literalPos = restOfPattern.size() + 1;
      foundAt = restOfName.size() + 1;
    }

    const std::u16string_view wildcards = restOfPattern.substr(0, literalPos - 1);
    const auto questionMarks =
        static_cast<std::size_t>(std::count(wildcards.begin(), wildcards.end(), u'?'));
    const std::size_t skipped = foundAt - 1;
    if (skipped < questionMarks) return false;
    if (wildcards.find(u'*') == std::u16string_view::npos && skipped != questionMarks) return false;
    if (foundAt == restOfName.size() + 1) return true;
  }
}
