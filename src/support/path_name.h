#pragma once

#include <string>
#include <string_view>

/// Text up to, not including, its first NUL character.
std::u16string CutAtNull(std::u16string_view text);

/// Last component of a path, "/" and "\" alike, separators at either end removed.
std::u16string FileNameOf(std::u16string_view path);
