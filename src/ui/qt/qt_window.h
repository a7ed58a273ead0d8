#pragma once

#include <QFont>
#include <QTimer>
#include <QWidget>
#include <array>

#include "shell/front_end.h"
#include "shell/main_window.h"
#include "shell/window_driver.h"

class QCloseEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QMessageBox;
class QPaintEvent;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

/// The main window on Qt Widgets: builds the controls from the layout table, shows what the
/// window driver hands it and reports the user's input to the driver, which owns the window model.
class QtWindow : public QWidget, public FrontEnd {
  Q_OBJECT

 public:
  /// Builds the window and a window model whose run uses options; nothing is loaded yet.
  explicit QtWindow(RunOptions options = {}, Pacing pacing = Pacing::Paced);
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

  /// The window model this window shows.
  MainWindow& model() { return driver_.Model(); }
  /// The driver between the window model and these widgets.
  WindowDriver& driver() { return driver_; }

  /// Arms the start timer: the run starts its interval after the window was first painted.
  void startRunWhenShown() { driver_.StartWhenShown(); }

  /// The widget made for control, nullptr for the caption and the start timer.
  QWidget* control(ControlId control) const;

  /// Whether the model has closed the window.
  bool isWindowClosed() const { return driver_.Closed(); }

  /// Pixels for a length in twips at this window's logical resolution.
  int pixels(int twips) const;

  void showControl(const ControlView& view) override;
  void processEvents() override;
  MessageAnswer askUser(const MessageRequest& request) override;
  void post(std::function<void()> task) override;
  void closeWindow() override;

 signals:
  /// The model closed the window; the program may end once the running handler returns.
  void windowClosed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  /// Creates every control of the layout table in its container, at its place, in tab order.
  void buildControls();
  /// Connects the widgets' user signals to the driver.
  void connectInput();
  void showProgressBar(double fill);
  void showPersonList(const ControlView& view);
  void showSelector(const ControlView& view);
  void showStartTimer(const ControlView& view);

  QFont font_;
  double scale_ = 1.0;
  std::array<QWidget*, kControlCount> widgets_{};

  QWidget* progressInside_ = nullptr;  ///< the progress frame's inside; clips the bar
  QGroupBox* personFrame_ = nullptr;
  QListWidget* personList_ = nullptr;
  QScrollBar* selector_ = nullptr;

  QTimer startTimer_;
  QMessageBox* openBox_ = nullptr;  ///< the message box being shown, if any
  WindowDriver driver_;
};
