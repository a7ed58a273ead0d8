#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collect/file_catalog.h"
#include "collect/file_type_rules.h"
#include "collect/folder_walker.h"
#include "collect/root_overlaps.h"
#include "config/config_line.h"
#include "run/activity_log.h"
#include "run/run_coverage.h"
#include "run/run_observer.h"
#include "run/run_options.h"
#include "run/run_outcome.h"
#include "run/walk_ahead.h"
#include "search/content_search.h"
#include "search/document_search.h"
#include "search/person_table.h"
#include "search/search_settings.h"

/// One run of fundort: reads the configuration line by line (settings, file type rules, folder
/// walks, persons), then searches every kept file for every person, and keeps the activity log.
/// It owns all of the run's state and tells one observer what changes; it knows no window.
class RunSession : private WalkListener, private WalkAhead::Events, private SearchListener {
 public:
  /// A session on options' system that reports to observer, which must outlive it.
  RunSession(RunOptions options, RunObserver& observer);
  ~RunSession() override;
  RunSession(const RunSession&) = delete;
  RunSession& operator=(const RunSession&) = delete;

  // ---- Operations. ----
  /// Starts afresh: empty tables, default settings, the paths derived from the program's, and
  /// "START <base name>" in the log.
  void Load();
  /// The whole run: the configuration file line by line, then the search.
  void Run();
  /// Carries out one configuration line.
  void ExecuteLine(const std::u16string& line);
  /// Searches every kept file for every person (Run does this after the configuration).
  void Search();
  /// Asks the run to stop at its next checkpoint; callable from a checkpoint.
  void RequestStop() { stopRequested_ = true; }
  /// Stops the run and writes "EXIT" to the log: the end of the program's session.
  void End();
  /// Deletes the file at path for good and logs it; when file is given and has that path, the
  /// very file the walk found is deleted (a folder swapped for a link since is left alone). A
  /// search still running then reads the files ahead of it as they are now. Callable from a
  /// checkpoint.
  std::optional<platform::SystemError> DeleteFound(const std::u16string& path,
                                                   std::optional<FileId> file);

  // ---- State. ----
  platform::System& System() const { return options_.System; }
  /// The program's base name: its file name without folder and extension, asked anew each time.
  std::u16string BaseName() const;
  /// The program's folder, ending in the separator.
  const std::u16string& ProgramFolder() const { return programFolder_; }
  const std::u16string& ConfigFile() const { return configFile_; }
  /// The configuration's folder as a full path ending in the separator: relative FOLDER paths
  /// start there.
  const std::u16string& ConfigFolder() const { return configFolder_; }
  const SearchSettings& Settings() const { return settings_; }
  const FileTypeRules& Rules() const { return rules_; }
  const FileCatalog& Catalog() const { return catalog_; }
  const PersonTable& Persons() const { return persons_; }
  const HitTable& Hits() const { return hits_; }
  /// Files whose reading failed, in catalog order.
  const std::vector<FileId>& UnreadableFiles() const { return unreadable_; }
  /// Documents whose text could not be read, in catalog order; they were searched raw.
  const std::vector<NotExtractedFile>& NotExtractedFiles() const { return notExtracted_; }
  /// Files whose text recognition read, in catalog order.
  const std::vector<RecognisedFile>& RecognisedFiles() const { return recognised_; }
  /// Pages recognised in the run, and of those the pages taken from the cache.
  std::int64_t PagesRecognised() const { return pagesRecognised_; }
  std::int64_t PagesFromCache() const { return pagesFromCache_; }
  /// Why the cache of recognised text could not be used; empty when it could or was not asked.
  const std::string& RecognitionCacheProblem() const { return cacheProblem_; }
  /// What the run left out of its search so far, and why.
  const RunCoverage& Coverage() const { return coverage_; }
  /// How the run went so far.
  RunOutcome Outcome() const;
  /// The last status text told.
  const std::u16string& Status() const { return status_; }
  /// The configuration line being carried out (from 1); 0 outside the configuration.
  std::int32_t ConfigurationLine() const { return configLine_; }
  /// True once a stop was asked for.
  bool StopRequested() const { return stopRequested_; }

 private:
  /// Reads the configuration file line by line and carries out each line.
  void ReadConfiguration();
  void AddPerson(const std::u16string& name, const std::u16string& terms);
  void ReportError(const std::u16string& text);
  void SetStatus(std::u16string_view text);
  std::u16string ProgramPath() const;
  /// Carries out an OCR line.
  void SetRecognition(const RecognitionCommand& command);
  /// The cache of recognised text, opened when first used; null when the run keeps none.
  RecognisedTextCache* Cache();
  /// Applies what the walk ahead told since last time.
  void TellWalk();
  /// Ends the walk ahead, if any, and applies all it told.
  void EndWalk();
  /// Shows files as the file count with the total size known now, unless shown already.
  void ShowFileCounts(std::size_t files);

  // ---- What the walk and the search tell. ----
  void FolderEntered(FolderId folder) override;
  void FolderNotListed(FolderId folder, const platform::SystemError& failure) override;
  void RootListed(FolderId folder) override;
  void FileKept(FileId file) override;
  void EntrySkipped(SkippedEntry entry) override;
  void WalkFolderNotListed(FolderId folder, const platform::SystemError& failure,
                           std::int32_t line) override;
  void WalkRootListed(FolderId folder, std::int32_t line) override;
  void WalkEntriesSkipped(SkippedEntry entry, std::int64_t count) override;
  void WalkCounted(std::size_t folders, std::size_t files) override;
  void SearchStarted() override;
  void FileStarted(FileId file) override;
  void HitFound(PersonId person, FileId file) override;
  void FileUnreadable(FileId file, const platform::SystemError& failure) override;
  void DocumentNotExtracted(FileId file, std::string reason, ContentGap gap) override;
  void PagesRecognised(FileId file, const RecognitionCounts& counts) override;
  void PageRecognising(FileId file, int page, int pages) override;
  void FileSearched(FileId file, double searched) override;
  void SearchFinished() override;
  bool Checkpoint() override;

  RunOptions options_;
  RunObserver& observer_;
  ActivityLog log_;
  std::u16string programFolder_;
  std::u16string configFile_;
  std::u16string configFolder_;
  SearchSettings settings_;
  FileTypeRules rules_;
  FileCatalog catalog_;
  PersonTable persons_;
  HitTable hits_;
  std::vector<FileId> unreadable_;
  std::vector<NotExtractedFile> notExtracted_;
  std::vector<RecognisedFile> recognised_;
  std::int64_t pagesRecognised_ = 0;
  std::int64_t pagesFromCache_ = 0;
  std::unique_ptr<RecognisedTextCache> cache_;
  std::string cacheProblem_;
  RunCoverage coverage_;
  RootOverlaps roots_;
  RunOutcome outcome_;
  std::u16string status_;
  std::int32_t configLine_ = 0;  ///< the configuration line being carried out; 0 outside
  bool stopRequested_ = false;
  ContentSearch* activeSearch_ = nullptr;  ///< the search under way, if any
  /// The walk of the configuration's folders on a thread of its own, while the configuration is
  /// read on and the search begins; none when walking on the session's thread.
  std::unique_ptr<WalkAhead> walkAhead_;
  std::size_t foldersShown_ = 0;      ///< the folder count told last by the walk ahead
  std::size_t filesShown_ = 0;        ///< the file count told last by the walk ahead
  double sizeShown_ = 0;              ///< the total size shown last with it
  std::int32_t searchedUnshown_ = 0;  ///< files searched since the total size was last shown
};
