#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// Identifies one control of the main window (and the window's own caption and start timer).
/// The static labels and the progress frame never change; they are here so that every control
/// of the layout has an identity.
enum class ControlId {
  WindowCaption,
  ProgressFrame,
  ProgressBar,
  StatusLabel,
  FolderCountCaption,
  FileCountCaption,
  TotalSizeCaption,
  FolderCount,
  FileCount,
  TotalSize,
  PersonList,
  PersonFrame,
  HitCountCaption,
  HitCount,
  HitNumberCaption,
  HitNumber,
  PathCaption,
  PathBox,
  SortButton,
  HitSelector,
  OpenButton,
  DeleteButton,
  StartTimer,
};

/// Number of ControlId values, for tables indexed by control (StartTimer stays the last value).
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(ControlId::StartTimer) + 1;

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { Critical, Question };
enum class DefaultButton { First, Second };
enum class MessageAnswer { Ok, Yes, No };

/// A modal message box as the core asks for it.
struct MessageRequest {
  std::u16string Text;
  std::u16string Title;
  MessageButtons Buttons = MessageButtons::Ok;
  MessageIcon Icon = MessageIcon::Critical;
  DefaultButton Default = DefaultButton::First;
  /// The configuration line the message is about; 0 when it concerns no single line. A window
  /// shows the box alone; a console prefixes the line, as compilers do.
  std::int32_t ConfigurationLine = 0;
};

/// What the core needs from a front end: mirroring controls, modal boxes and pending events.
class Window {
 public:
  virtual ~Window() = default;

  /// Copies the model state of one control into what the user sees.
  virtual void controlChanged(ControlId control) = 0;

  /// Lets queued user events run, nested, on this thread; called at every pending-message point,
  /// so an implementation keeps it cheap when nothing is due.
  virtual void processPendingMessages() = 0;

  /// Shows a modal message box and returns the button the user chose.
  virtual MessageAnswer messageBox(const MessageRequest& request) = 0;

  /// Closes the window; the program ends once the running handler has returned.
  virtual void closeWindow() = 0;
};
