#include "console_window.h"

#include <cstdio>
#include <string>

#include "platform/native_path.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int) {
  stopSignal = 1;
}

}  // namespace

void ConsoleWindow::InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool ConsoleWindow::StopSignalled() {
  return stopSignal != 0;
}

void ConsoleWindow::processPendingMessages() {
  // A stop signal closes the run as a user's close of the window would.
  if (stopSignal != 0 && !closed_ && form_ != nullptr) form_->Form_Unload();
}

MessageAnswer ConsoleWindow::messageBox(const MessageRequest& request) {
  messages_.push_back(request);
  const std::string line =
      platform::ToDisplayUtf8(request.Title) + ": " + platform::ToDisplayUtf8(request.Text) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  return request.Buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}
