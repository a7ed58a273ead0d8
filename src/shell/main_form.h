#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "collect/file_table.h"
#include "search/document_search.h"
#include "search/person_entry.h"
#include "search/person_index.h"
#include "shell/controls.h"
#include "shell/main_form_options.h"
#include "shell/run_coverage.h"
#include "shell/run_outcome.h"
#include "shell/window.h"

class ReadAhead;
class TermSearch;

/// The main window: all state of a run, the model of its controls, and every operation.
/// Member functions are defined in the folder of the subsystem they belong to.
class MainForm {
 public:
  MainForm(Window& window, MainFormOptions options = {});
  ~MainForm();
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // ---- State. Tables are numbered from 1; slot 0 exists and is never used. ----
  std::vector<FolderEntry> Folders;
  std::vector<FileEntry> Files;
  std::vector<FileTypeEntry> FileTypes;
  std::vector<PersonEntry> Persons;
  double TotalSize = 0;
  std::int32_t SearchMode = 1;  ///< 1 BINARY (case-insensitive), 2 TEXT (exact)
  std::u16string AppDir;        ///< program folder, ending in the separator
  std::u16string ConfigFile;
  bool StopRequested = false;
  /// Whether the texts inside documents are searched beside their raw bytes.
  DocumentReading Documents = DocumentReading::Off;
  /// The encodings every search term is looked for in; the system's default until an ENCODING
  /// line names others.
  platform::TextEncodings Encodings;
  /// Numbers of the files whose reading failed during the search, in file order.
  std::vector<std::int32_t> UnreadableFiles;
  /// Documents whose text could not be read, in file order; they were searched raw.
  std::vector<NotExtractedFile> NotExtractedFiles;

  // ---- Controls (see shell/window_layout.h for their places). ----
  LabelControl Caption;  ///< the window's own caption
  ProgressBarControl processBar;
  LabelControl Status;
  LabelControl anzFolders;
  LabelControl anzFiles;
  LabelControl allSize;
  ListBoxControl PersonList;
  FrameControl PersonFrame;
  LabelControl PersonHäufigkeit;
  LabelControl PersonFundstelle;
  TextBoxControl PersonFundstelleVerzeichnis;
  ScrollBarControl PersonFundstellenAuswahl;
  CommandButtonControl Command1{u"öffnen mit Notepad"};
  CommandButtonControl Command2{u"endgültig löschen"};
  CommandButtonControl SortList{u"Liste sortieren"};
  TimerControl StartTimer;

  // ---- Start-up, run sequence and shutdown (shell/run_sequence.cpp). ----
  /// Resets display and state, derives the paths and writes the first log line.
  void Form_Load();
  /// Performs the whole run: the configuration line by line, then the search.
  void StartTimer_Timer();
  /// Raises the stop flag, logs "EXIT" and closes the window.
  void Form_Unload();
  /// The program's base name: its file name without folder and extension, asked anew each time.
  std::u16string BaseName() const;

  // ---- Status display (shell/status_display.cpp). ----
  void SetProgress(double fraction);
  void SetStatus(std::u16string_view text);
  void SetFolderCount(std::int32_t count);
  void SetFileCount(std::int32_t count);
  void SetAllSize(double bytes);

  // ---- Activity log (shell/activity_log.cpp). ----
  /// Appends one line to the log; never fails towards the caller.
  void WriteLog(std::u16string_view line);

  // ---- Configuration (config/config_commands.cpp). ----
  /// Interprets one configuration line as read.
  void ExecConfigLine(const std::u16string& line);

  // ---- Folder walk and file table (collect/folder_walk.cpp). ----
  void ReadFolder(std::u16string path, std::int32_t parent);
  /// Records the file when a rule accepts it and says whether one did; size is only asked for
  /// when a rule needs it.
  bool AddFile(const std::u16string& name, FileSize& size, std::int32_t folder);
  std::u16string GetFolderPath(std::int32_t index) const;
  std::u16string GetFilePath(std::int32_t index) const;
  /// The walk's root, the names below it and the identity recorded for a file of the table.
  platform::FoundFile LocateFile(std::int32_t index) const;

  // ---- File type rules and wildcard matching (collect/file_types.cpp, collect/wildcard.cpp). ----
  void AddFileType(const std::u16string& pattern, double maxSize);
  /// Number of the first rule accepting name and size, 0 when none does; size is only asked
  /// for once a rule's pattern matches. why, when given, tells for 0 whether no pattern
  /// matched or only the size failed.
  std::int32_t GetFileType(const std::u16string& name, FileSize& size,
                           FileRejection* why = nullptr) const;
  static bool MatchPattern(std::u16string_view name, std::u16string_view pattern);
  static std::int32_t FirstLiteralPos(std::u16string_view pattern);
  static std::int32_t LiteralLength(std::u16string_view pattern, std::int32_t start);

  // ---- Person table (search/person_table.cpp). ----
  void AddPerson(const std::u16string& name, const std::u16string& terms);
  bool IsNewPerson(const std::u16string& name) const;
  std::int32_t FindPerson(const std::u16string& name) const;

  // ---- Content search and hit recording (search/content_search.cpp). ----
  void SearchFiles();
  void SearchFile(std::int32_t fileNumber);
  /// Searches the text inside the open file fileNumber when it is a document this build reads.
  void SearchDocument(std::int32_t fileNumber, platform::ReadableFile& file, TermSearch& terms);
  std::int32_t GetCompareMode() const;
  void AddHit(std::int32_t person, std::int32_t fileNumber);

  // ---- Person list and sorting (browse/person_list.cpp). ----
  void PersonList_Click();
  void SortList_Click();
  void SortPersonList();

  // ---- Person detail view and file actions (browse/detail_view.cpp). ----
  void ShowPerson(std::int32_t person);
  void PersonFundstellenAuswahl_Change();
  void PersonFundstellenAuswahl_Scroll();
  void Command1_Click();
  void Command2_Click();

  /// How the run went so far.
  const RunOutcome& Outcome() const { return outcome_; }
  /// What the run left out of its search so far, and why.
  const RunCoverage& Coverage() const { return coverage_; }

 private:
  /// Tells the window that a control's model changed.
  void Mirror(ControlId control) { window_.controlChanged(control); }
  /// A pending-message point: lets queued user events run.
  void ProcessPendingMessages() { window_.processPendingMessages(); }
  /// Shows a "Fehler" box with the critical icon and an OK button.
  void ShowError(const std::u16string& text);
  /// Reads the configuration file line by line and hands each line on.
  void ReadConfiguration();
  /// Records in the coverage why the walk could not list a folder.
  void NoteUnlistedFolder(std::int32_t folder, const platform::SystemError& failure);
  /// Records in the coverage a root folder whose tree overlaps that of an earlier FOLDER line,
  /// and remembers this root for the lines after it.
  void NoteRootFolder(std::int32_t folder);
  /// Full path of the program, from the options or the system.
  std::u16string ProgramPath() const;
  /// The operating system this form works on.
  platform::System& System() const { return options_.System; }
  /// Number of the person on display (the frame's tag), 0 when none is shown.
  std::int32_t DisplayedPerson() const;
  /// Tells a running search that files on disk were changed (deleted) through the window, so
  /// files not yet searched are read as they are now.
  void FilesChanged();
  /// Number of the file of the hit the selector picks, 0 when no such file is shown.
  std::int32_t SelectedFile() const;

  Window& window_;
  MainFormOptions options_;
  /// The search run's search of the texts inside documents; none when documents are not read.
  std::unique_ptr<DocumentSearch> documentSearch_;
  std::unique_ptr<TermSearch> termSearch_;  ///< the terms prepared for one search run
  std::unique_ptr<ReadAhead> reader_;       ///< the files' reader during a search run
  RunOutcome outcome_;
  RunCoverage coverage_;
  std::int32_t configLine_ = 0;  ///< number of the configuration line being run; 0 outside
  /// Identity of each listed root folder with its FOLDER line, to find later roots inside them.
  std::unordered_map<platform::FileIdentity, std::int32_t, platform::FileIdentityHash> roots_;
  /// Identity of each folder above a listed root, with the first FOLDER line below it.
  std::unordered_map<platform::FileIdentity, std::int32_t, platform::FileIdentityHash>
      rootAncestors_;
  mutable PersonIndex personIndex_;  ///< FindPerson's index of Persons by name
};
