#pragma once

#include <QFont>
#include <QTimer>
#include <QWidget>
#include <array>

#include "shell/event_pacer.h"
#include "shell/main_form.h"
#include "shell/window.h"
#include "shell/window_layout.h"

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

/// The main window on Qt Widgets: owns the form, builds the controls from the layout table,
/// mirrors the form's control models and turns user input into the form's handlers.
class QtWindow : public QWidget, public Window {
  Q_OBJECT

 public:
  /// Builds the window and a form that uses options; the form is not loaded yet.
  explicit QtWindow(MainFormOptions options = {});
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

  /// The form this window shows.
  MainForm& form() { return form_; }

  /// Arms the start timer: the run starts its interval after the window was first painted.
  void startRunWhenShown();

  /// The widget made for the control called name (its object name), nullptr when none.
  QWidget* control(std::u16string_view name) const;

  /// Whether the form has closed the window.
  bool isWindowClosed() const { return closed_; }

  /// Pixels for a length in twips at this window's logical resolution.
  int pixels(int twips) const;

  void controlChanged(ControlId control) override;
  void processPendingMessages() override;
  MessageAnswer messageBox(const MessageRequest& request) override;
  void closeWindow() override;

 signals:
  /// The form closed the window; the program may end once the running handler returns.
  void windowClosed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  /// Creates every control of the layout table in its container, at its place, in tab order.
  void buildControls();
  /// Connects the widgets' user signals to the handlers.
  void connectInput();
  /// Copies one control's model into its widget; widget signals stay blocked meanwhile.
  void mirrorCaption(QLabel* label, const LabelControl& model);
  /// Notes a status control as changed; it is copied when events are next processed.
  void deferStatus(ControlId control);
  /// Copies the status controls noted as changed into their widgets.
  void flushStatus();
  void mirrorProgressBar();
  void mirrorPersonList();
  void mirrorSelector();
  void mirrorButton(QPushButton* button, const CommandButtonControl& model);
  /// Starts the start timer once armed and painted; stops it when the model disables it.
  void mirrorStartTimer();
  /// Whether user input still reaches the form: not once the window has closed, so input still
  /// queued at the close neither changes the model nor runs a handler.
  bool takesInput() const { return !closed_ && !tearingDown_; }
  /// Writes the user's change into the model, then runs the handler.
  void onListSelectionChanged();
  void onSelectorValueChanged(int value);
  void onSelectorMoved(int position);
  /// The start timer's tick: the form's run, unless the window has closed meanwhile.
  void runStartTimer();

  MainForm form_;
  EventPacer pacer_;
  unsigned pendingStatus_ = 0;  ///< status controls changed since they were last copied
  QFont font_;
  double scale_ = 1.0;
  std::array<QWidget*, kWindowLayout.size()> widgets_{};

  QFrame* progressFrame_ = nullptr;
  QWidget* progressInside_ = nullptr;  ///< the frame's inside; clips the bar
  QLabel* progressBar_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* folderCount_ = nullptr;
  QLabel* fileCount_ = nullptr;
  QLabel* totalSize_ = nullptr;
  QListWidget* personList_ = nullptr;
  QGroupBox* personFrame_ = nullptr;
  QLabel* hitCount_ = nullptr;
  QLabel* hitNumber_ = nullptr;
  QPlainTextEdit* hitPath_ = nullptr;
  QScrollBar* selector_ = nullptr;
  QPushButton* sortList_ = nullptr;
  QPushButton* command1_ = nullptr;
  QPushButton* command2_ = nullptr;

  QTimer startTimer_;
  QMessageBox* openBox_ = nullptr;  ///< the message box being shown, if any
  bool runArmed_ = false;           ///< startRunWhenShown was called
  bool painted_ = false;            ///< the window has been painted once
  bool unloaded_ = false;           ///< Form_Unload has run
  bool closed_ = false;             ///< the form has closed the window
  bool tearingDown_ = false;        ///< the destructor runs: no handler, no mirroring
};
