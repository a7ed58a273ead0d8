#include "console_window.h"

#include <cstdio>
#include <string>

#include "platform/utf8.h"
#include "report_output.h"

void ConsoleWindow::processPendingMessages() {
  // A stop request closes the run as a user's close of the window would.
  if (stopRequested_.load(std::memory_order_relaxed) && !closed_ && form_ != nullptr) {
    form_->Form_Unload();
  }
}

MessageAnswer ConsoleWindow::messageBox(const MessageRequest& request) {
  messages_.push_back(request);
  std::string line = TextField(config_);
  if (request.ConfigurationLine > 0) line += ":" + std::to_string(request.ConfigurationLine);
  line += ": " + TextField(platform::ToDisplayUtf8(request.Text)) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  return request.Buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}
