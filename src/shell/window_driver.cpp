#include "shell/window_driver.h"

#include <algorithm>
#include <utility>

#include "shell/window_layout.h"

namespace {

/// How often a paced window lets events run during a run.
constexpr std::int64_t kPacingMilliseconds = 15;

/// The controls the run changes for every entry and file. The user sees them only when events
/// run, so they are shown then, once, rather than at every change.
bool IsStatusControl(ControlId control) {
  switch (control) {
    case ControlId::ProgressBar:
    case ControlId::StatusLabel:
    case ControlId::FolderCount:
    case ControlId::FileCount:
    case ControlId::TotalSize:
      return true;
    default:
      return false;
  }
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

/// What a box answers when nobody can be asked: the answer that changes nothing.
MessageAnswer AnswerChangingNothing(const MessageRequest& request) {
  return request.Buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

}  // namespace

std::u16string ShortenedMessageText(std::u16string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::u16string(text);
  std::size_t length = limit;
  if (length > 0 && IsHighSurrogate(text[length - 1])) --length;
  return std::u16string(text.substr(0, length)) + u"…";
}

WindowDriver::WindowDriver(FrontEnd& frontEnd, RunOptions options, Pacing pacing)
    : frontEnd_(frontEnd), model_(*this, std::move(options)) {
  if (pacing == Pacing::Paced) pacer_.emplace(kPacingMilliseconds);
}

WindowDriver::~WindowDriver() = default;

// ---- Life of the window. ----

void WindowDriver::StartWhenShown() {
  runArmed_ = true;
  if (!closed_ && !tearingDown_) Show(ControlId::StartTimer);
}

void WindowDriver::Painted() {
  if (painted_) return;
  painted_ = true;
  // The timer ticks from the event loop, after this first paint has reached the screen.
  if (!closed_ && !tearingDown_) Show(ControlId::StartTimer);
}

bool WindowDriver::StartTimerRuns() const {
  return runArmed_ && painted_ && model_.startTimer.Enabled && !closed_ && !tearingDown_;
}

void WindowDriver::StartTimerTick() {
  if (!StartTimerRuns()) return;
  model_.OnStartTimer();
}

void WindowDriver::CloseRequested() {
  if (unloaded_ || closed_) return;
  unloaded_ = true;
  model_.OnClose();
}

void WindowDriver::TearDown() {
  tearingDown_ = true;
  pendingStatus_.reset();
}

// ---- User input. ----

void WindowDriver::PersonListSelected(std::int32_t index) {
  if (!TakesInput()) return;
  model_.personList.ListIndex = index;
  model_.OnPersonSelected();
}

void WindowDriver::SelectorChanged(std::int32_t value) {
  if (!TakesInput()) return;
  model_.hitSelector.Value = value;
  model_.OnSelectorChanged();
}

void WindowDriver::SelectorScrolled(std::int32_t position) {
  if (!TakesInput()) return;
  model_.hitSelector.Value = position;
  model_.OnSelectorScrolled();
}

void WindowDriver::Clicked(ControlId button) {
  if (!TakesInput()) return;
  switch (button) {
    case ControlId::SortButton:
      if (model_.sortButton.Enabled) model_.OnSortClicked();
      break;
    case ControlId::OpenButton:
      if (model_.openButton.Enabled) model_.OnOpenClicked();
      break;
    case ControlId::DeleteButton:
      if (model_.deleteButton.Enabled) model_.OnDeleteClicked();
      break;
    default:
      break;
  }
}

// ---- From the models to the front end. ----

void WindowDriver::controlChanged(ControlId control) {
  if (closed_ || tearingDown_) return;
  if (!IsStatusControl(control)) {
    Show(control);
    return;
  }
  const bool nothingPending = pendingStatus_.none();
  pendingStatus_.set(static_cast<std::size_t>(control));
  // An idle window (the run over, or a handler that set a status) catches up at the next turn of
  // the event loop.
  if (nothingPending) frontEnd_.post([this] { ShowPendingStatus(); });
}

void WindowDriver::ShowPendingStatus() {
  if (pendingStatus_.none() || closed_ || tearingDown_) return;
  const std::bitset<kControlCount> pending = std::exchange(pendingStatus_, {});
  for (const ControlId control :
       {ControlId::ProgressBar, ControlId::StatusLabel, ControlId::FolderCount,
        ControlId::FileCount, ControlId::TotalSize}) {
    if (pending.test(static_cast<std::size_t>(control))) Show(control);
  }
}

void WindowDriver::Show(ControlId control) {
  const ControlView view = control == ControlId::PersonList ? PersonListView() : ViewOf(control);
  const bool wasShowing = std::exchange(showing_, true);
  frontEnd_.showControl(view);
  showing_ = wasShowing;
}

ControlView WindowDriver::ViewOf(ControlId control) const {
  ControlView view;
  view.Control = control;
  const auto caption = [&view](const LabelControl& label) { view.Text = label.Caption; };
  const auto button = [&view](const CommandButtonControl& model) {
    view.Text = model.Caption;
    view.Enabled = model.Enabled;
  };
  switch (control) {
    case ControlId::WindowCaption:
      caption(model_.windowCaption);
      break;
    case ControlId::ProgressBar:
      // The model's width is in twips of the frame's inside; a wider bar is clipped by it.
      view.Fill = std::clamp(static_cast<double>(model_.progressBar.Width) /
                                 static_cast<double>(kProgressInnerWidthTwips),
                             0.0, 1.0);
      break;
    case ControlId::StatusLabel:
      caption(model_.statusLabel);
      break;
    case ControlId::FolderCount:
      caption(model_.folderCountLabel);
      break;
    case ControlId::FileCount:
      caption(model_.fileCountLabel);
      break;
    case ControlId::TotalSize:
      caption(model_.totalSizeLabel);
      break;
    case ControlId::PersonFrame:
      view.Text = model_.personFrame.Caption;
      break;
    case ControlId::HitCount:
      caption(model_.hitCountLabel);
      break;
    case ControlId::HitNumber:
      caption(model_.hitNumberLabel);
      break;
    case ControlId::PathBox:
      view.Text = model_.pathBox.Text;
      break;
    case ControlId::HitSelector: {
      const ScrollBarControl& selector = model_.hitSelector;
      view.Enabled = selector.Enabled;
      view.Minimum = selector.Min;
      view.Maximum = selector.Max;
      view.Value = selector.Value;
      break;
    }
    case ControlId::SortButton:
      button(model_.sortButton);
      break;
    case ControlId::OpenButton:
      button(model_.openButton);
      break;
    case ControlId::DeleteButton:
      button(model_.deleteButton);
      break;
    case ControlId::StartTimer:
      view.Enabled = StartTimerRuns();
      view.Interval = std::max(model_.startTimer.Interval, 0);
      break;
    default:
      // The static controls keep the text the layout gave them.
      for (const ControlLayout& layout : kWindowLayout) {
        if (layout.Id == control) view.Text = layout.Text;
      }
      break;
  }
  return view;
}

ControlView WindowDriver::PersonListView() {
  const ListBoxControl& list = model_.personList;
  ControlView view;
  view.Control = ControlId::PersonList;
  view.Items = list.Items;
  // The core only appends to the list or empties and rebuilds it, so what was shown stays valid
  // as long as the list was not emptied since: adding a person costs one new item, not a copy of
  // the whole list.
  const bool onlyGrew = list.Clears == listClearsShown_ && list.Items.size() >= listItemsShown_;
  view.UnchangedItems = onlyGrew ? listItemsShown_ : 0;
  const auto count = static_cast<std::int32_t>(list.Items.size());
  view.Selected = list.ListIndex >= 0 && list.ListIndex < count ? list.ListIndex : -1;
  listItemsShown_ = list.Items.size();
  listClearsShown_ = list.Clears;
  return view;
}

// ---- Pending events, message boxes and the end. ----

void WindowDriver::processPendingMessages() {
  // Once closed, nothing may run any more: the interrupted run only unwinds.
  if (closed_) return;
  if (pacer_ && !pacer_->Due()) return;
  ShowPendingStatus();
  frontEnd_.processEvents();
}

MessageAnswer WindowDriver::messageBox(const MessageRequest& request) {
  // A closed window asks nothing.
  if (closed_ || tearingDown_) return AnswerChangingNothing(request);
  ShowPendingStatus();
  MessageRequest shown = request;
  shown.Text = ShortenedMessageText(request.Text, kMessageTextLimit);
  const MessageAnswer answer = frontEnd_.askUser(shown);
  // A window closed while the box was open takes no answer from it.
  if (closed_ || tearingDown_) return AnswerChangingNothing(request);
  return answer;
}

void WindowDriver::closeWindow() {
  if (closed_) return;
  closed_ = true;
  pendingStatus_.reset();
  Show(ControlId::StartTimer);  // stopped: a closed window never starts the run
  frontEnd_.closeWindow();
}
