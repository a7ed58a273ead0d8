#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "collect/catalog_ids.h"

/// Whoever shows a run: told what changes as it happens. Every call comes on the run's thread;
/// the defaults ignore the news, so an observer overrides only what it shows.
class RunObserver {
 public:
  virtual ~RunObserver() = default;

  /// The run's status text: a phase ("Start", "lade Konfigurationen...", ...) or the name of
  /// the file being searched.
  virtual void StatusChanged(std::u16string_view /*status*/) {}
  /// The walk has entered this many folders.
  virtual void FoldersCounted(std::size_t /*folders*/) {}
  /// The walk has kept this many files of these many bytes in all.
  virtual void FilesCounted(std::size_t /*files*/, double /*totalBytes*/) {}
  /// Share of the kept bytes searched so far, from 0 to 1.
  virtual void ProgressChanged(double /*searched*/) {}
  /// The search has finished filesDone files and recognised pagesRecognised pages so far.
  virtual void SearchAdvanced(std::size_t /*filesDone*/, std::int64_t /*pagesRecognised*/) {}
  /// A NAME line added a person.
  virtual void PersonAdded(PersonId /*person*/) {}
  /// file mentions person.
  virtual void HitAdded(PersonId /*person*/, FileId /*file*/) {}
  /// Something the user must be told went wrong; configurationLine is the line it concerns
  /// (from 1), 0 when it concerns no single line.
  virtual void ErrorReported(std::u16string_view /*text*/, std::int32_t /*configurationLine*/) {}
  /// Asked between configuration lines, folder entries, files, blocks and terms, and during
  /// long preparations: where the user may act. A handler that runs in here calls only the
  /// session's public operations. False stops the run.
  virtual bool Checkpoint() { return true; }
};
