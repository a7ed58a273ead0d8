#pragma once

#include <csignal>
#include <vector>

#include "shell/main_form.h"
#include "shell/window.h"

/// A window without a screen: message boxes become lines on stderr, answered as OK, and a
/// pending-message point only looks for a stop request from a signal.
class ConsoleWindow : public Window {
 public:
  /// The form that a stop request closes.
  void Attach(MainForm& form) { form_ = &form; }

  /// Makes SIGINT and SIGTERM request a stop at the next pending-message point.
  static void InstallStopSignals();
  /// True once a stop signal arrived.
  static bool StopSignalled();

  void controlChanged(ControlId) override {}
  void processPendingMessages() override;
  MessageAnswer messageBox(const MessageRequest& request) override;
  void closeWindow() override { closed_ = true; }

  bool Closed() const { return closed_; }
  /// Every message shown, in order.
  const std::vector<MessageRequest>& Messages() const { return messages_; }

 private:
  MainForm* form_ = nullptr;
  bool closed_ = false;
  std::vector<MessageRequest> messages_;
};
