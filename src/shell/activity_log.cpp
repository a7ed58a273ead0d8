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
  switch (options_.Log) {
    case LogDestination::BesideProgram:
      AppendLine(System(), AppDir + BaseName() + u".log", text);
      break;
    case LogDestination::File:
      AppendLine(System(), options_.LogFile, text);
      break;
    case LogDestination::None:
      break;
  }
}
