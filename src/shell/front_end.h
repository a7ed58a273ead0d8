#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "shell/window.h"

/// The values one control shows. Only the fields that belong to the control's kind are set; the
/// views borrow from the form's models and are valid during the call that passes them.
struct ControlView {
  ControlId Control = ControlId::WindowCaption;
  /// Caption of the window, a label, a frame or a button; the text of the text box.
  std::u16string_view Text;
  /// Buttons and the selector take input only when enabled; the start timer runs when enabled.
  bool Enabled = true;
  /// The progress bar's width as a share of its frame's inside, from 0 to 1.
  double Fill = 0;
  /// The selector's range and position.
  std::int32_t Minimum = 0;
  std::int32_t Maximum = 0;
  std::int32_t Value = 0;
  /// The person list's items, all of them.
  std::span<const std::u16string> Items;
  /// How many leading items the list already shows unchanged; the rest replace what it shows.
  std::size_t UnchangedItems = 0;
  /// The selected item of the list, -1 when none.
  std::int32_t Selected = -1;
  /// The start timer: milliseconds from its start to its one tick.
  std::int32_t Interval = 0;
};

/// The toolkit side of a window: a front end shows controls, pumps events, asks the user, and
/// tells the window driver about the user's input. Every policy lives in the driver.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  /// Copies the values into the control's widget. Input the widget reports meanwhile is ignored.
  virtual void showControl(const ControlView& view) = 0;

  /// Lets queued events run, nested, on this thread, and returns.
  virtual void processEvents() = 0;

  /// Shows a modal message box and returns the button chosen; the request's text is shown as
  /// given (plain text).
  virtual MessageAnswer askUser(const MessageRequest& request) = 0;

  /// Runs task on this thread at the next turn of the event loop.
  virtual void post(std::function<void()> task) = 0;

  /// Dismisses an open message box, hides the window and lets the program end once the running
  /// handler has returned.
  virtual void closeWindow() = 0;
};
