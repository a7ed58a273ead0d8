#pragma once

#include <string>
#include <string_view>

// UTF-8 and the program's 16-bit text. The conversion keeps bytes that are not valid UTF-8: each
// becomes U+DC80 + byte and goes back to the same byte, so text read from a file name or a
// command line reproduces the exact bytes it came from.
namespace platform {

/// Appends the UTF-8 bytes of one code point; a surrogate value is written as its own three
/// bytes, so any 16-bit text can be stored and read back unchanged.
void AppendUtf8(std::string& out, char32_t code);

/// Appends one code point as 16-bit text: a surrogate pair past U+FFFF, else one unit (a
/// surrogate value as itself).
void AppendUtf16(std::u16string& out, char32_t code);

/// Converts UTF-8 to text; a byte that is not valid UTF-8 becomes U+DC80 + byte.
std::u16string FromUtf8(std::string_view utf8);

/// True when every byte of the text belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view utf8);

/// Converts text to UTF-8, a character that stands for a raw byte back to that byte.
std::string ToUtf8(std::u16string_view text);

/// Converts text to UTF-8 for display; a character that stands for a raw byte becomes U+FFFD.
std::string ToDisplayUtf8(std::u16string_view text);

}  // namespace platform
