#include "testing/fake_window.h"

void FakeWindow::processPendingMessages() {
  ++Points;
  const auto found = actions_.find(Points);
  if (found == actions_.end() || form_ == nullptr) return;
  for (auto& action : found->second)
    action(*form_);
}

MessageAnswer FakeWindow::messageBox(const MessageRequest& request) {
  Boxes.push_back(request);
  if (!answers_.empty()) {
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return request.Buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}

void FakeWindow::controlChanged(ControlId control) {
  Changes.push_back(control);
  if (control == ControlId::Status && form_ != nullptr)
    StatusTexts.push_back(form_->Status.Caption);
}
