#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "collect/file_catalog.h"
#include "platform/system.h"
#include "search/document_search.h"
#include "search/person_table.h"
#include "search/search_settings.h"

class ReadAhead;
class TermSearch;

/// What the content search tells as it goes: the sink of its results.
class SearchListener {
 public:
  virtual ~SearchListener() = default;
  /// The terms are about to be prepared.
  virtual void SearchStarted() = 0;
  /// The search of file begins.
  virtual void FileStarted(FileId file) = 0;
  /// file mentions person; told in person order for each file, files in catalog order.
  virtual void HitFound(PersonId person, FileId file) = 0;
  /// file could not be read (or not to its end); it gives no hit.
  virtual void FileUnreadable(FileId file, const platform::SystemError& failure) = 0;
  /// file is a document whose text could not be read wholly; its raw bytes were searched.
  virtual void DocumentNotExtracted(FileId file, std::string reason) = 0;
  /// file holds text that was not read at all (a scan while recognition is off): told instead of
  /// DocumentNotExtracted.
  virtual void DocumentUnread(FileId file, std::string reason) {
    DocumentNotExtracted(file, std::move(reason));
  }
  /// Text of file was recognised, or taken from the cache of recognised text.
  virtual void PagesRecognised(FileId /*file*/, const RecognitionCounts& /*counts*/) {}
  /// Page page (from 1, of pages) of file is being recognised.
  virtual void PageRecognising(FileId /*file*/, int /*page*/, int /*pages*/) {}
  /// file is done; searched is the share of all bytes searched so far, from 0 to 1.
  virtual void FileSearched(FileId file, double searched) = 0;
  /// Every file was searched.
  virtual void SearchFinished() = 0;
  /// Asked between files, between a file's blocks and terms, and during long preparations and
  /// extractions; false stops the search.
  virtual bool Checkpoint() = 0;
};

/// Searches every file of a catalog, in catalog order, for the terms of every person: each file
/// is read once in blocks (memory does not grow with its size), all forms of all terms found in
/// one pass, documents' texts searched beside their bytes. A person is mentioned by a file when
/// one of their terms stands in it; a person without terms by every file that could be read.
class ContentSearch {
 public:
  /// A search of catalog for persons, as settings say, reporting to listener; all must outlive it.
  ContentSearch(platform::System& system, const FileCatalog& catalog, const PersonTable& persons,
                const SearchSettings& settings, SearchListener& listener);
  ~ContentSearch();
  ContentSearch(const ContentSearch&) = delete;
  ContentSearch& operator=(const ContentSearch&) = delete;

  /// Searches every file; false when a checkpoint stopped it.
  bool Run();
  /// Files on disk were changed (deleted) meanwhile: files not yet searched are read as they
  /// are now. Callable from a checkpoint.
  void FilesChanged();

 private:
  /// Searches one file; false when stopped.
  bool SearchFile(FileId file);
  /// Searches the text inside the open file when it is a document this build reads; false
  /// when stopped.
  bool SearchDocument(FileId file, platform::ReadableFile& content);
  /// The listener's checkpoint, remembered once it said stop.
  bool Checkpoint();

  platform::System& system_;
  const FileCatalog& catalog_;
  const PersonTable& persons_;
  const SearchSettings& settings_;
  SearchListener& listener_;
  std::unique_ptr<TermSearch> terms_;
  std::unique_ptr<DocumentSearch> documents_;  ///< none when documents are not read
  std::unique_ptr<ReadAhead> reader_;
  FileId current_{};  ///< the file being searched
  bool stopped_ = false;
};
