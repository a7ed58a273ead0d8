#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "shell/main_form.h"
#include "shell/window.h"

/// A window without a screen: message boxes become lines on stderr in the form compilers use
/// ("<config>:<line>: <text>", or "<config>: <text>" for the file as a whole), answered as OK,
/// and a pending-message point only looks for a stop request.
class ConsoleWindow : public Window {
 public:
  /// A window whose messages name config, the configuration file as given.
  explicit ConsoleWindow(std::string config) : config_(std::move(config)) {}

  /// The form that a stop request closes.
  void Attach(MainForm& form) { form_ = &form; }

  /// Asks for the run to stop at the next pending-message point; callable from any thread.
  void RequestStop() { stopRequested_.store(true, std::memory_order_relaxed); }

  void controlChanged(ControlId) override {}
  void processPendingMessages() override;
  MessageAnswer messageBox(const MessageRequest& request) override;
  void closeWindow() override { closed_ = true; }

  /// Every message shown, in order.
  const std::vector<MessageRequest>& Messages() const { return messages_; }

 private:
  std::string config_;
  MainForm* form_ = nullptr;
  std::atomic<bool> stopRequested_ = false;
  bool closed_ = false;
  std::vector<MessageRequest> messages_;
};
