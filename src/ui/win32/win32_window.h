#pragma once

#include "platform/windows_win32.h"

#include <array>
#include <deque>
#include <functional>

#include "shell/front_end.h"
#include "shell/main_window.h"
#include "shell/window_driver.h"

/// Command identifier of a control's child window: this base plus the control's ControlId.
inline constexpr int kFirstControlCommandId = 1000;

/// The main window with plain Win32 controls: builds them from the layout table, shows what the
/// window driver hands it and reports the user's input to the driver, which owns the window model.
class Win32Window final : public FrontEnd {
 public:
  /// Creates the window, hidden, and a window model whose run uses options; nothing is loaded yet.
  explicit Win32Window(HINSTANCE instance, RunOptions options = {}, Pacing pacing = Pacing::Paced);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  /// The window model this window shows.
  MainWindow& model() { return driver_.Model(); }
  /// The driver between the window model and these controls.
  WindowDriver& driver() { return driver_; }
  /// The top-level window.
  HWND handle() const { return window_; }

  /// Arms the run, shows the window centred and paints it; the run starts after that paint.
  void ShowAndStart();
  /// Runs the event loop until the model has closed the window; returns the exit status.
  int RunMessageLoop();
  /// Asks to close as the user does; safe from any thread.
  void RequestClose() const;

  /// Pixels for a length in twips at the system's resolution.
  int pixels(int twips) const;

  void showControl(const ControlView& view) override;
  void processEvents() override;
  MessageAnswer askUser(const MessageRequest& request) override;
  void post(std::function<void()> task) override;
  void closeWindow() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  /// Creates every control of the layout table in its container, at its place, in tab order.
  void BuildControls(HINSTANCE instance);
  /// Runs one message through the dialog keys (Tab, arrows) or to its window procedure.
  void Dispatch(MSG& message);
  void OnCommand(WPARAM wParam, LPARAM lParam);
  void OnSelectorScroll(WORD request);
  HWND Control(ControlId control) const;
  void ShowProgressBar(double fill);
  void ShowPersonList(const ControlView& view);
  void ShowSelector(const ControlView& view);
  /// Shows the path box's vertical scroll bar exactly when its text has more lines than fit.
  void FitPathBoxScrollBar();
  void ShowStartTimer(const ControlView& view);
  /// Ends the message box this thread shows, if any.
  void DismissMessageBox() const;

  int dpi_ = 96;  ///< the system's dots per inch
  HWND window_ = nullptr;
  HFONT font_ = nullptr;     ///< Verdana 8.25 pt, for the window and its controls
  HFONT barFont_ = nullptr;  ///< MS Sans Serif 8.25 pt, for the two parts of the progress bar
  std::array<HWND, kControlCount> controls_{};
  HWND focus_ = nullptr;  ///< the control with the keyboard when the window was last active
  WNDPROC frameDefaultProc_ = nullptr;
  bool timerRunning_ = false;
  bool boxOpen_ = false;
  std::int32_t selectorValue_ = 1;  ///< the selector's value as last shown or changed
  std::deque<std::function<void()>> tasks_;
  WindowDriver driver_;
};
