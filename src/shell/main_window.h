#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "run/run_observer.h"
#include "run/run_options.h"
#include "run/run_session.h"
#include "shell/controls.h"
#include "shell/window.h"

/// The main window's presentation model: a plain model per control, the handlers of the user's
/// acts, and the person on display. It owns the run's session and shows it as its observer;
/// whatever the run knows is read from the session, never from a control.
class MainWindow final : public RunObserver {
 public:
  /// A window shown through window whose session uses options; nothing is loaded yet.
  MainWindow(Window& window, RunOptions options);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // ---- Controls (see shell/window_layout.h for their places). ----
  LabelControl windowCaption;
  ProgressBarControl progressBar;
  LabelControl statusLabel;
  LabelControl folderCountLabel;
  LabelControl fileCountLabel;
  LabelControl totalSizeLabel;
  ListBoxControl personList;
  FrameControl personFrame;
  LabelControl hitCountLabel;
  LabelControl hitNumberLabel;
  TextBoxControl pathBox;
  ScrollBarControl hitSelector;
  CommandButtonControl openButton{u"öffnen mit Notepad"};
  CommandButtonControl deleteButton{u"endgültig löschen"};
  CommandButtonControl sortButton{u"Liste sortieren"};
  TimerControl startTimer;

  // ---- Life of the window. ----
  /// Shows the program's name and an empty run, and starts the session.
  void Load();
  /// The start timer's one tick: the whole run.
  void OnStartTimer();
  /// The window is closing: the run stops, "EXIT" is logged and the window closes.
  void OnClose();

  // ---- The user's acts; the control's model already holds the user's change. ----
  void OnPersonSelected();
  void OnSelectorChanged();
  void OnSelectorScrolled();
  void OnOpenClicked();
  void OnDeleteClicked();
  void OnSortClicked();

  /// When the configuration is missing, offers to write a starter configuration there and open
  /// it in the editor instead of only saying it is missing: for a configuration in the user's
  /// folders, which the user has no other hint of.
  void OfferStarterConfiguration() { offerStarter_ = true; }

  /// The person on display, if any.
  std::optional<PersonId> DisplayedPerson() const { return displayedPerson_; }
  /// The run this window shows.
  RunSession& Session() { return session_; }
  const RunSession& Session() const { return session_; }

  // ---- What the run tells. ----
  void StatusChanged(std::u16string_view status) override;
  void FoldersCounted(std::size_t folders) override;
  void FilesCounted(std::size_t files, double totalBytes) override;
  void ProgressChanged(double searched) override;
  void PersonAdded(PersonId person) override;
  void HitAdded(PersonId person, FileId file) override;
  void ErrorReported(std::u16string_view text, std::int32_t configurationLine) override;
  bool Checkpoint() override;

 private:
  /// Tells the window that a control's model changed.
  void Mirror(ControlId control) { window_.controlChanged(control); }
  /// Shows a "Fehler" box with the critical icon and an OK button about the configuration line
  /// being run (0 outside the configuration).
  void ShowError(std::u16string_view text, std::int32_t configurationLine);
  /// Asks whether to write the starter configuration at the missing configuration's place and
  /// open it in the editor, and does so.
  void OfferStarter();
  /// Shows the person's name, hit count and first hit.
  void ShowPerson(PersonId person);
  /// Orders the list by hits, keeping the selected name selected.
  void SortPersonList();
  /// The file of the hit the selector picks, if a person with hits is on display.
  std::optional<FileId> SelectedFile() const;

  Window& window_;
  std::optional<PersonId> displayedPerson_;
  /// True while the list is rebuilt: selections made meanwhile are the rebuild's, not the user's.
  bool rebuildingList_ = false;
  bool offerStarter_ = false;
  RunSession session_;
};
