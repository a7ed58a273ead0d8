#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "shell/event_pacer.h"
#include "shell/front_end.h"
#include "shell/main_window.h"
#include "shell/window.h"

/// Whether the window lets events run at every pending-message point or paced by a clock.
enum class Pacing { Paced, EveryPoint };

/// The window as the main window's model sees it, for any front end: owns the model, decides
/// what is shown and when, gates pending-event processing, starts the run, closes once, and
/// routes user input to the model's handlers. The front end only shows controls, pumps events and
/// asks the user.
class WindowDriver final : public Window {
 public:
  /// Longest text a message box shows; a longer one is cut and ends in "…".
  static constexpr std::size_t kMessageTextLimit = 1000;

  /// A driver for frontEnd with a window model whose run uses options; nothing is loaded yet.
  WindowDriver(FrontEnd& frontEnd, RunOptions options, Pacing pacing = Pacing::Paced);
  ~WindowDriver() override;
  WindowDriver(const WindowDriver&) = delete;
  WindowDriver& operator=(const WindowDriver&) = delete;

  /// The window model this driver shows.
  MainWindow& Model() { return model_; }
  /// Loads the model: the caption and an empty run; the run starts with the start timer.
  void Load() { model_.Load(); }

  // ---- Life of the window, told by the front end. ----
  /// Arms the run: it starts the start timer's interval after the window was first painted.
  void StartWhenShown();
  /// The window was painted; the first paint lets an armed run start.
  void Painted();
  /// The start timer's tick: the run, unless the window has closed meanwhile.
  void StartTimerTick();
  /// The user, a signal or the session asks to close; the model closes once, whoever asks first.
  void CloseRequested();
  /// The front end is going away: from now on nothing is shown and no handler runs.
  void TearDown();
  /// Whether the model has closed the window.
  bool Closed() const { return closed_; }

  // ---- User input: written into the model, then the handler runs. Ignored once closed. ----
  /// The user selected item index of the person list (-1 for none).
  void PersonListSelected(std::int32_t index);
  /// The selector's value changed to value (a step, a page, a released thumb).
  void SelectorChanged(std::int32_t value);
  /// The selector's thumb is being dragged to position.
  void SelectorScrolled(std::int32_t position);
  /// A command button was clicked; a disabled button starts nothing.
  void Clicked(ControlId button);

  /// Shows the status controls that changed since they were last shown.
  void ShowPendingStatus();

  // ---- Window, as the model calls it. ----
  void controlChanged(ControlId control) override;
  void processPendingMessages() override;
  MessageAnswer messageBox(const MessageRequest& request) override;
  void closeWindow() override;

 private:
  /// Whether user input still reaches the model: not once the window has closed, and not while
  /// a control is being shown (that input is the widget echoing the model).
  bool TakesInput() const { return !closed_ && !tearingDown_ && !showing_; }
  /// Builds the control's view from its model and hands it to the front end.
  void Show(ControlId control);
  ControlView ViewOf(ControlId control) const;
  /// The person list's view, showing only what changed since it was last shown.
  ControlView PersonListView();
  /// Whether the start timer may run: armed, painted, enabled by the model, window open.
  bool StartTimerRuns() const;

  FrontEnd& frontEnd_;
  MainWindow model_;
  std::optional<EventPacer> pacer_;  ///< none: every point processes events
  std::bitset<kControlCount> pendingStatus_;
  std::size_t listItemsShown_ = 0;     ///< items the list widget shows from the model
  std::uint32_t listClearsShown_ = 0;  ///< the model's clear count when last shown
  bool runArmed_ = false;
  bool painted_ = false;
  bool unloaded_ = false;
  bool closed_ = false;
  bool tearingDown_ = false;
  bool showing_ = false;
};

/// text cut to at most limit characters followed by "…" when it is longer; a surrogate pair is
/// never split.
std::u16string ShortenedMessageText(std::u16string_view text, std::size_t limit);
