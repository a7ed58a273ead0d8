#include "support/text_code.h"

std::u16string FixLength(std::u16string_view text, std::int32_t length, std::u16string_view fill) {
  const auto wanted = static_cast<std::size_t>(length < 0 ? 0 : length);
  if (wanted > text.size()) {
    std::u16string result(text);
    result.append(wanted - text.size(), fill.empty() ? u' ' : fill.front());
    return result;
  }
  return std::u16string(text.substr(0, wanted));
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return FixLength(text, static_cast<std::int32_t>(prefix.size()), u" ") == prefix;
}

std::int32_t CountOf(std::u16string_view text, std::u16string_view find) {
  if (find.empty()) return 0;
  std::int32_t count = 0;
  for (std::size_t at = text.find(find); at != std::u16string_view::npos;
       at = text.find(find, at + find.size())) {
    ++count;
  }
  return count;
}

std::int32_t FieldCount(std::u16string_view list, std::u16string_view separator) {
  return CountOf(list, separator) - 1;
}

namespace {

/// True when list begins with the separator itself. StartsWith pads a short text with blanks, so
/// a separator of blanks would otherwise "start" a list shorter than itself.
bool OpensWith(std::u16string_view list, std::u16string_view separator) {
  return !separator.empty() && list.size() >= separator.size() && StartsWith(list, separator);
}

}  // namespace

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

std::u16string AppendField(std::u16string_view list, std::u16string_view field,
                           std::u16string_view separator) {
  std::u16string result(list.empty() ? separator : list);
  result.append(field);
  result.append(separator);
  return result;
}

std::u16string CutAtNull(std::u16string_view text) {
  return std::u16string(text.substr(0, text.find(u'\0')));
}

std::u16string FileNameOf(std::u16string_view path) {
  std::u16string text(path);
  for (char16_t& character : text) {
    if (character == u'/') character = u'\\';
  }
  const std::size_t first = text.find_first_not_of(u'\\');
  if (first == std::u16string::npos) return {};
  const std::size_t last = text.find_last_not_of(u'\\');
  text = text.substr(first, last - first + 1);
  const std::size_t separator = text.rfind(u'\\');
  return separator == std::u16string::npos ? text : text.substr(separator + 1);
}
