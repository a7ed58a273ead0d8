#pragma once

#include <string>

namespace platform {

/// A failure reported by the operating system, with a short German description for the user.
struct SystemError {
  int Code = 0;
  std::u16string Description;
};

/// Describes an errno value: a short German text for the common cases, else the system's text.
SystemError SystemErrorFromErrno(int code);

}  // namespace platform
