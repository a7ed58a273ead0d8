#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Plain models of the window's controls: the properties the system reads and writes.
// Front ends copy them into widgets when told that a control changed.

/// A label or any control whose only changing property is its caption.
struct LabelControl {
  std::u16string Caption;
};

/// The blue bar inside the progress frame; its width is in twips.
struct ProgressBarControl {
  float Width = 0;
};

/// A single-selection list box that keeps its items in the order they are added.
struct ListBoxControl {
  std::vector<std::u16string> Items;  ///< appended to, or emptied only through Clear
  std::int32_t ListIndex = -1;        ///< selected item, -1 when none
  /// How often the items were emptied; a front end that showed a number of items can tell from
  /// it whether they are still there (the list only grew) or a new list was built.
  std::uint32_t Clears = 0;

  /// Empties the list of items.
  void Clear() {
    Items.clear();
    ++Clears;
  }

  /// The selected item's text, empty when nothing is selected.
  std::u16string SelectedText() const {
    return ListIndex >= 0 && static_cast<std::size_t>(ListIndex) < Items.size() ? Items[ListIndex]
                                                                                : std::u16string();
  }
};

/// A frame with a caption.
struct FrameControl {
  std::u16string Caption;
};

/// A horizontal scroll bar used as a selector. Its range is 32-bit here, so any hit count fits.
struct ScrollBarControl {
  bool Enabled = true;
  std::int32_t Min = 1;
  std::int32_t Max = 1;
  std::int32_t Value = 1;
};

/// A read-only multi-line text box.
struct TextBoxControl {
  std::u16string Text;
};

/// A command button.
struct CommandButtonControl {
  std::u16string Caption;
  bool Enabled = true;
};

/// The one-shot start timer.
struct TimerControl {
  bool Enabled = true;
  std::int32_t Interval = 1;  ///< milliseconds
};
