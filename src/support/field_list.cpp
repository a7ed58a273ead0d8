#include "support/field_list.h"

namespace {

/// Number of non-overlapping occurrences of find in text, scanning from the left.
std::int32_t CountOf(std::u16string_view text, std::u16string_view find) {
  if (find.empty()) return 0;
  std::int32_t count = 0;
  for (std::size_t at = text.find(find); at != std::u16string_view::npos;
       at = text.find(find, at + find.size())) {
    ++count;
  }
  return count;
}

/// True when list begins with the separator itself.
bool OpensWith(std::u16string_view list, std::u16string_view separator) {
  return !separator.empty() && list.starts_with(separator);
}

}  // namespace

std::int32_t FieldCount(std::u16string_view list, std::u16string_view separator) {
  return CountOf(list, separator) - 1;
}

std::u16string GetField(std::u16string_view list, std::int32_t n, std::u16string_view separator) {
  if (n < 1 || !OpensWith(list, separator)) return {};
  const std::u16string_view body = list.substr(separator.size());
  std::size_t fieldStart = 0;
  for (std::int32_t field = 1;; ++field) {
    const std::size_t close = body.find(separator, fieldStart);
    if (close == std::u16string_view::npos) return {};
    if (field == n) return std::u16string(body.substr(fieldStart, close - fieldStart));
    fieldStart = close + separator.size();
  }
}

std::vector<std::u16string_view> SplitFields(std::u16string_view list,
                                             std::u16string_view separator) {
  std::vector<std::u16string_view> fields;
  if (!OpensWith(list, separator)) return fields;
  const std::u16string_view body = list.substr(separator.size());
  for (std::size_t fieldStart = 0;;) {
    const std::size_t close = body.find(separator, fieldStart);
    if (close == std::u16string_view::npos) return fields;
    fields.push_back(body.substr(fieldStart, close - fieldStart));
    fieldStart = close + separator.size();
  }
}

std::u16string FieldsAfterFirst(std::u16string_view list, std::u16string_view separator) {
  const std::size_t cut = GetField(list, 1, separator).size() + separator.size();
  return cut >= list.size() ? std::u16string() : std::u16string(list.substr(cut));
}
