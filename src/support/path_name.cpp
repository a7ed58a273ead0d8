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

bool IsRelativePath(std::u16string_view path, char16_t separator) {
  if (path.empty() || path.front() == separator) return false;
  if (separator != u'\\') return true;
  // Windows takes both separators, and "C:" names a drive (even "C:name", relative to the
  // drive's current folder, belongs to that drive and not to any other folder).
  return path.front() != u'/' && !(path.size() >= 2 && path[1] == u':');
}

std::u16string ResolvePath(std::u16string_view folder, std::u16string_view path,
                           char16_t separator) {
  if (!IsRelativePath(path, separator)) return std::u16string(path);
  const auto isSeparator = [separator](char16_t character) {
    return character == separator || (separator == u'\\' && character == u'/');
  };
  // "./demo" and "demo" name the same folder; the step is left out so that the paths shown
  // read as the folder's plain full path.
  while (path.size() >= 2 && path[0] == u'.' && isSeparator(path[1])) {
    path.remove_prefix(2);
    while (!path.empty() && isSeparator(path.front()))
      path.remove_prefix(1);
  }
  if (path == u".") path = {};
  return std::u16string(folder) + std::u16string(path);
}
