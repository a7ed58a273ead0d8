#pragma once

// Driving the real window in tests: finding its widgets, reading what they show, answering its
// modal boxes, and scripting user input at the run's pending-message points.

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "ui/qt/qt_window.h"

// Readable failure output for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << text.toStdString();
}

template <typename Widget>
Widget* Find(const QtWindow& window, std::u16string_view name) {
  return qobject_cast<Widget*>(window.control(name));
}

/// The caption or title a label, button or frame shows.
inline QString TextOf(const QtWindow& window, std::u16string_view name) {
  const QWidget* widget = window.control(name);
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) return button->text();
  if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
  return {};
}

/// What a message box showed: title, text, buttons, default button.
struct SeenBox {
  QString Title, Text;
  QStringList Buttons;
  QString Default;
  bool Critical = false;
};

using BoxAnswer = std::function<void(QMessageBox&)>;

inline BoxAnswer Click(const QString& text) {
  return [text](QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
      if (button->text() == text) QTest::mouseClick(button, Qt::LeftButton);
    }
  };
}

inline BoxAnswer Press(Qt::Key key) {
  return [key](QMessageBox& box) { QTest::keyClick(&box, key); };
}

/// Answers the modal boxes shown while it lives, in order, and records each. A box beyond the
/// planned answers is recorded and dismissed, so an unexpected box fails a test, not hangs it.
class BoxAnswers {
 public:
  explicit BoxAnswers(std::deque<BoxAnswer> answers = {}) : answers_(std::move(answers)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] { answerOpenBox(); });
    poll_.start(5);
  }
  std::vector<SeenBox> Seen;

 private:
  void answerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    SeenBox& seen = Seen.emplace_back(
        SeenBox{box->windowTitle(), box->text(), {}, {}, box->icon() == QMessageBox::Critical});
    for (QAbstractButton* button : box->buttons())
      seen.Buttons.append(button->text());
    if (box->defaultButton() != nullptr) seen.Default = box->defaultButton()->text();
    if (answers_.empty()) {
      box->reject();
      return;
    }
    const BoxAnswer answer = std::move(answers_.front());
    answers_.pop_front();
    answer(*box);
  }

  std::deque<BoxAnswer> answers_;
  QTimer poll_;
};

/// The real window with user input scripted at the run's pending-message points: each step
/// runs, in order, at the first point where its condition holds, nested in the run as queued
/// input would be.
class ScriptedWindow : public QtWindow {
 public:
  using QtWindow::QtWindow;

  void When(std::function<bool()> condition, std::function<void()> input) {
    steps_.push_back({std::move(condition), std::move(input)});
  }
  /// Steps that have not run yet.
  std::size_t Pending() const { return steps_.size(); }

  void processPendingMessages() override {
    while (!steps_.empty() && steps_.front().Condition()) {
      const std::function<void()> input = std::move(steps_.front().Input);
      steps_.pop_front();
      input();
    }
    QtWindow::processPendingMessages();
  }

 private:
  struct Step {
    std::function<bool()> Condition;
    std::function<void()> Input;
  };
  std::deque<Step> steps_;
};
