#include "search/hit_list.h"

#include <algorithm>
#include <limits>

#include "support/text_code.h"

std::u16string HexText(std::int32_t number) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  auto value = static_cast<std::uint32_t>(number);
  std::u16string reversed;
  do {
    reversed += kDigits[value % 16];
    value /= 16;
  } while (value != 0);
  return std::u16string(reversed.rbegin(), reversed.rend());
}

std::uint64_t HexValue(std::u16string_view field) {
  std::uint64_t value = 0;
  for (const char16_t character : field) {
    unsigned digit = 0;
    if (character >= u'0' && character <= u'9') {
      digit = static_cast<unsigned>(character - u'0');
    } else if (character >= u'A' && character <= u'F') {
      digit = static_cast<unsigned>(character - u'A' + 10);
    } else if (character >= u'a' && character <= u'f') {
      digit = static_cast<unsigned>(character - u'a' + 10);
    } else {
      break;
    }
    if (value > std::numeric_limits<std::uint32_t>::max()) break;
    value = value * 16 + digit;
  }
  return value;
}

void AppendHit(std::u16string& hits, std::int32_t fileNumber) {
  // Appended in place: copying the whole list for every hit would make long lists quadratic.
  if (hits.empty()) hits = u"|";
  hits += HexText(fileNumber);
  hits += u'|';
}

std::int32_t HitCount(std::u16string_view hits) {
  return std::max(FieldCount(hits, u"|"), 0);
}

std::uint64_t HitFile(std::u16string_view hits, std::int32_t k) {
  return HexValue(GetField(hits, k, u"|"));
}

std::vector<std::int32_t> HitFiles(std::u16string_view hits) {
  const std::int32_t count = HitCount(hits);
  std::vector<std::int32_t> files;
  files.reserve(static_cast<std::size_t>(count));
  // Read in one pass rather than field by field: a person can have very many hits.
  std::size_t start = 1;
  for (std::int32_t k = 0; k < count; ++k) {
    const std::size_t end = hits.find(u'|', start);
    const std::uint64_t value = HexValue(hits.substr(start, end - start));
    files.push_back(static_cast<std::int32_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::int32_t>::max())));
    start = end + 1;
  }
  return files;
}
