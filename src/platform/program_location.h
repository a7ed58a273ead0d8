#pragma once

#include <string>

namespace platform {

/// Full path of the running executable.
std::u16string ExecutablePath();

}  // namespace platform
