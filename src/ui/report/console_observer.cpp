#include "console_observer.h"

#include <cstdio>
#include <string>

#include "report_output.h"

void ConsoleObserver::ErrorReported(std::u16string_view text, std::int32_t configurationLine) {
  errors_.push_back(ReportedError{std::u16string(text), configurationLine});
  std::string line = TextField(config_);
  if (configurationLine > 0) line += ":" + std::to_string(configurationLine);
  line += ": " + TextField(text) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}
