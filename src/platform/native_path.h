#pragma once

#include <string>
#include <string_view>

// File names as the operating system hands them over, and back. On Linux names are bytes,
// usually UTF-8; the conversion is lossless so every file the walk met can be opened again.
namespace platform {

/// The path separator of this platform.
inline constexpr char16_t kPathSeparator = u'/';

/// Converts an operating-system path to text; a byte that is not valid UTF-8 becomes U+DC80+byte.
std::u16string FromNativePath(std::string_view native);

/// Converts text back to the operating-system path it came from.
std::string ToNativePath(std::u16string_view path);

/// Converts text to UTF-8 for display; a character that stands for a raw byte becomes U+FFFD.
std::string ToDisplayUtf8(std::u16string_view text);

/// Converts UTF-8 text to text; invalid bytes are kept as U+DC80+byte.
inline std::u16string FromUtf8(std::string_view utf8) {
  return FromNativePath(utf8);
}

}  // namespace platform
