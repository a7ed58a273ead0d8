#pragma once

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "shell/main_form.h"
#include "shell/window.h"

/// A scripted window for headless tests: records what the core shows, answers message boxes
/// from a queue, and runs user actions at chosen pending-message points.
class FakeWindow : public Window {
 public:
  using Action = std::function<void(MainForm&)>;

  /// The form that scripted actions act on.
  void Attach(MainForm& form) { form_ = &form; }
  /// Runs action at the n-th pending-message point (counting from 1).
  void At(int point, Action action) { actions_[point].push_back(std::move(action)); }
  /// Answers the next message box with answer (boxes without a queued answer get OK, or No).
  void AnswerNext(MessageAnswer answer) { answers_.push_back(answer); }

  void controlChanged(ControlId control) override {
    if (control == ControlId::StatusLabel && form_ != nullptr)
      StatusTexts.push_back(form_->Status.Caption);
  }
  void processPendingMessages() override {
    for (auto& action : actions_[++Points])
      action(*form_);
  }
  MessageAnswer messageBox(const MessageRequest& request) override {
    Boxes.push_back(request);
    if (answers_.empty())
      return request.Buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void closeWindow() override { Closed = true; }

  std::vector<MessageRequest> Boxes;        ///< every message box shown, in order
  std::vector<std::u16string> StatusTexts;  ///< every status text set, in order
  int Points = 0;                           ///< pending-message points passed
  bool Closed = false;

 private:
  MainForm* form_ = nullptr;
  std::map<int, std::vector<Action>> actions_;
  std::deque<MessageAnswer> answers_;
};

/// Closes the window as the user would.
inline FakeWindow::Action UserCloses() {
  return [](MainForm& form) { form.Form_Unload(); };
}
