#pragma once

#include <string>

namespace platform {

/// The failures the core may tell apart; everything else is Other.
enum class ErrorKind {
  NotFound,
  AccessDenied,
  PseudoFileSystem,  ///< a folder of a pseudo file system met below a walk's root, not listed
  Other,
};

/// A failure reported by the operating system, with a short German description for the user.
struct SystemError {
  ErrorKind Kind = ErrorKind::Other;
  std::u16string Description;
};

}  // namespace platform
