#include "support/path_name.h"

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
