#pragma once

#include "platform/windows_win32.h"

#include <string>
#include <string_view>

// Paths as the wide (W) functions of Windows take them. Every path goes to the system in the
// long form ("\\?\C:\...", "\\?\UNC\server\share\..."), so paths longer than 260 characters
// work; the program itself keeps and shows the paths as the user wrote them.
namespace platform::win32 {

/// The text as the system's 16-bit characters.
inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

/// The system's 16-bit characters as text.
inline std::u16string Narrow(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

/// True when the path holds a NUL character: such a path names no file, since the system would
/// take the part in front of it.
inline bool HoldsNul(std::u16string_view path) {
  return path.find(u'\0') != std::u16string_view::npos;
}

/// The full path in the long form: made absolute against the current folder, "/" turned into
/// "\", "." and ".." resolved, a trailing separator kept. A path already in the long or device
/// form is passed on unchanged. Empty when the path cannot be resolved.
std::wstring LongPath(std::u16string_view path);

}  // namespace platform::win32
