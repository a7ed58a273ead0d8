#pragma once

#include <string>

namespace platform {

/// The failures the core may tell apart; everything else is Other.
enum class ErrorKind {
  NotFound,
  AccessDenied,
  PseudoFileSystem,  ///< a folder of a pseudo file system met below a walk's root, not listed
  Replaced,          ///< the file found earlier is no longer where it was found
  Protected,         ///< the file is one the caller said must never be written
  Other,
};

/// A failure reported by the operating system, with a short German description for the user.
struct SystemError {
  ErrorKind Kind = ErrorKind::Other;
  std::u16string Description;
};

/// The failure of a write into a file the caller protects.
inline SystemError FileProtectedError() {
  return SystemError{ErrorKind::Protected, u"Die Datei ist vor dem Schreiben geschützt."};
}

/// The failure of an action on a file that was replaced or moved since it was found.
inline SystemError FileReplacedError() {
  return SystemError{ErrorKind::Replaced,
                     u"Die Datei wurde seit der Suche ersetzt oder verschoben."};
}

/// The failure of reading a found file whose place holds another file, or whose way down from
/// the root holds a link or no folder, since the walk.
inline SystemError FileChangedSinceWalkError() {
  return SystemError{ErrorKind::Replaced,
                     u"Die Datei wurde seit dem Auflisten der Ordner ersetzt oder verschoben."};
}

}  // namespace platform
