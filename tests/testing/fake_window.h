#pragma once

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "shell/main_window.h"
#include "shell/window.h"

/// A scripted window for headless tests of the window model: records the message boxes, answers
/// them from a queue, and runs user actions at chosen pending-message points.
class FakeWindow : public Window {
 public:
  using Action = std::function<void(MainWindow&)>;

  void Attach(MainWindow& model) { model_ = &model; }
  /// Runs action at the n-th pending-message point (counting from 1).
  void At(int point, Action action) { actions_[point].push_back(std::move(action)); }
  /// Answers the next message box with answer (boxes without a queued answer get OK, or No).
  void AnswerNext(MessageAnswer answer) { answers_.push_back(answer); }

  void controlChanged(ControlId) override {}
  void processPendingMessages() override {
    for (auto& action : actions_[++points_])
      action(*model_);
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

  std::vector<MessageRequest> Boxes;  ///< every message box shown, in order
  bool Closed = false;

 private:
  MainWindow* model_ = nullptr;
  std::map<int, std::vector<Action>> actions_;
  std::deque<MessageAnswer> answers_;
  int points_ = 0;
};

/// One window model on a scripted window.
struct WindowRun {
  explicit WindowRun(RunOptions options)
      : model(std::make_unique<MainWindow>(window, std::move(options))) {
    window.Attach(*model);
  }
  void LoadAndRun() {
    model->Load();
    model->OnStartTimer();
  }

  FakeWindow window;
  std::unique_ptr<MainWindow> model;
};
