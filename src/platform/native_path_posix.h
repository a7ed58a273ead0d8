#pragma once

#include <string>
#include <string_view>

#include "platform/utf8.h"

// File names on Linux are bytes, usually UTF-8; they become text losslessly (see utf8.h), so
// every file the walk met can be opened and deleted again.
namespace platform {

/// The path as the operating system takes it.
inline std::string ToNativePath(std::u16string_view path) {
  return ToUtf8(path);
}

/// A path the operating system handed over, as text.
inline std::u16string FromNativePath(std::string_view native) {
  return FromUtf8(native);
}

}  // namespace platform
