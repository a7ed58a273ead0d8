#pragma once

#include <cstdint>
#include <string_view>

// The wildcard patterns of the file type rules: "*" stands for any run of characters, "?" for
// one. Each literal run is placed at its first occurrence in the rest of the name and never
// moved, so "*.TXT" rejects "A.TXT.TXT". Both sides are compared as given (callers upper-case).

/// True when the pattern accepts the whole name.
bool MatchPattern(std::u16string_view name, std::u16string_view pattern);

/// Position (from 1) of the first character of pattern that is no wildcard; 0 when none is.
std::int32_t FirstLiteralPos(std::u16string_view pattern);

/// Length of the literal run of pattern starting at position start (from 1); 0 outside it.
std::int32_t LiteralLength(std::u16string_view pattern, std::int32_t start);
