#include "shell/main_form.h"
#include "support/fileio_code.h"

void MainForm::WriteLog(std::u16string_view line) {
  std::u16string text(line);
  // A line break inside a line (possible only through a file name) would split the log line or
  // let a crafted name forge one; a NUL (possible only through a configuration line) would make
  // the log a binary file for the tools that read it.
  for (char16_t& character : text) {
    if (character == u'\r' || character == u'\n' || character == u'\0') character = u'?';
  }
  std::u16string path;
  switch (options_.Log) {
    case LogDestination::BesideProgram:
      path = AppDir + BaseName() + u".log";
      break;
    case LogDestination::File:
      path = options_.LogFile;
      break;
    case LogDestination::None:
      return;
  }
  // A log that is the configuration under another name (a link) is never written: the lines
  // would turn into commands of the next run.
  const auto failure = AppendLine(System(), path, text, System().IdentityOf(ConfigFile));
  // A log that cannot be written must not disturb the run; the front end learns of it.
  if (failure) {
    if (outcome_.LogLinesLost++ == 0) outcome_.LogFailure = failure->Description;
    if (failure->Kind == platform::ErrorKind::Protected) outcome_.LogIsConfiguration = true;
  }
}
