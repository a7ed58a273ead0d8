#pragma once

#include <string>

namespace platform {

/// Starts the text editor on a file without waiting for it: on Linux "notepad" with the path as
/// one argument when such a program is on PATH, else the desktop's opener. Never through a shell,
/// never leaves a zombie. A failure to start is silently ignored.
void StartTextEditor(const std::u16string& path);

}  // namespace platform
