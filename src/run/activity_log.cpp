#include "run/activity_log.h"

#include "support/text_file.h"

void ActivityLog::Write(std::u16string_view line) {
  std::u16string text(line);
  // A line break inside a line (possible only through a file name) would split the log line or
  // let a crafted name forge one; a NUL (possible only through a configuration line) would make
  // the log a binary file for the tools that read it.
  for (char16_t& character : text) {
    if (character == u'\r' || character == u'\n' || character == u'\0') character = u'?';
  }
  const std::optional<std::u16string> path = path_();
  if (!path) return;
  const auto failure = AppendLine(system_, *path, text, system_.IdentityOf(protectedPath_()));
  // A log that cannot be written must not disturb the run; the front end learns of it.
  if (failure) {
    if (linesLost_++ == 0) failure_ = failure->Description;
    if (failure->Kind == platform::ErrorKind::Protected) hitProtectedFile_ = true;
  }
}
