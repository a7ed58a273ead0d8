#pragma once

#include <string>
#include <string_view>

/// Text up to, not including, its first NUL character.
std::u16string CutAtNull(std::u16string_view text);

/// Last component of a path, "/" and "\" alike, separators at either end removed.
std::u16string FileNameOf(std::u16string_view path);

/// True when path is to be taken relative to some folder: not empty and not starting at a root.
/// With the separator "\" (Windows) a path starting with either separator, a drive ("C:") or
/// a server ("\\server") is not relative; with "/" only a path starting with "/" is not.
bool IsRelativePath(std::u16string_view path, char16_t separator);

/// path taken relative to folder (ending in the separator) when it is relative, with leading
/// "." steps left out; any other path as it is.
std::u16string ResolvePath(std::u16string_view folder, std::u16string_view path,
                           char16_t separator);
