#include <cerrno>
#include <cstring>

#include "platform/errno_error_posix.h"
#include "platform/utf8.h"

namespace platform {

namespace {

ErrorKind KindOf(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR:
      return ErrorKind::NotFound;
    case EACCES:
    case EPERM:
      return ErrorKind::AccessDenied;
    default:
      return ErrorKind::Other;
  }
}

}  // namespace

SystemError ErrorFromErrno(int code) {
  const char16_t* text = nullptr;
  switch (code) {
    case ENOENT:
      text = u"Datei nicht gefunden";
      break;
    case ENOTDIR:
      text = u"Pfad nicht gefunden";
      break;
    case EACCES:
    case EPERM:
      text = u"Zugriff verweigert";
      break;
    case EISDIR:
      text = u"Der Pfad ist ein Verzeichnis";
      break;
    case EROFS:
      text = u"Das Dateisystem ist schreibgeschützt";
      break;
    case EBUSY:
    case ETXTBSY:
      text = u"Die Datei wird von einem anderen Prozess verwendet";
      break;
    case ENAMETOOLONG:
      text = u"Der Dateiname ist zu lang";
      break;
    case ENOMEM:
    case EFBIG:
      text = u"Nicht genügend Speicher";
      break;
    case ENOSPC:
      text = u"Nicht genügend Speicherplatz auf dem Datenträger";
      break;
    case EIO:
      text = u"E/A-Fehler";
      break;
    case ENXIO:
      text = u"Keine normale Datei";
      break;
    case ELOOP:
      text = u"Zu viele symbolische Verknüpfungen";
      break;
    default:
      break;
  }
  if (text != nullptr) return SystemError{KindOf(code), text};
  char buffer[256];
  // GNU strerror_r returns the message, possibly not in buffer.
  const char* message = strerror_r(code, buffer, sizeof buffer);
  return SystemError{KindOf(code), FromUtf8(message)};
}

}  // namespace platform
