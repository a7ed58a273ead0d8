#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "collect/file_catalog.h"
#include "platform/system.h"
#include "search/document_search.h"
#include "search/file_supply.h"
#include "search/person_table.h"
#include "search/search_settings.h"

class ReadAhead;

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
  /// file is a document whose text could not be read wholly; its raw bytes were searched; gap
  /// tells whether content went unread.
  virtual void DocumentNotExtracted(FileId file, std::string reason, ContentGap gap) = 0;
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

/// Searches every file of a catalog for the terms of every person: each file is read once in
/// blocks (memory does not grow with its size), all forms of all terms found in one pass,
/// documents' texts searched beside their bytes. A person is mentioned by a file when one of
/// their terms stands in it; a person without terms by every file that could be read. With
/// several workers, files are searched at once on worker threads, each with its own scanner;
/// their results are told on the caller's thread strictly in catalog order, exactly as one
/// worker tells them, and only a bounded number of them waits there at a time. The catalog may
/// still be filled by a walk while the workers search its first files.
class ContentSearch {
 public:
  /// A search of catalog for persons, as settings say, reporting to listener; all must outlive it.
  /// With a supply, the catalog's files come as supply tells; without, the catalog is whole.
  /// The search records in catalog the sizes the walk left to it.
  ContentSearch(platform::System& system, FileCatalog& catalog, const PersonTable& persons,
                const SearchSettings& settings, SearchListener& listener,
                FileSupply* supply = nullptr);
  ~ContentSearch();
  ContentSearch(const ContentSearch&) = delete;
  ContentSearch& operator=(const ContentSearch&) = delete;

  /// Searches every file; false when a checkpoint stopped it.
  bool Run();
  /// Files on disk were changed (deleted) meanwhile: files not yet searched are read as they
  /// are now. Callable from a checkpoint.
  void FilesChanged();

  /// What searching one file gave.
  struct FileResult {
    std::vector<PersonId> Hits;                    ///< in person order
    std::optional<platform::SystemError> Failure;  ///< set when the file could not be read
    std::optional<NotExtractedFile> NotExtracted;  ///< why its document text was not read
    RecognitionCounts Recognised;                  ///< pages recognised in it
    /// Its length when opened (as listed when it could not be); negative when unknown.
    std::int64_t Size = -1;
  };

 private:
  class Searcher;
  /// Files handed to a worker: the number of the first in the catalog, how many follow it, and
  /// the round of restarts they are of.
  struct Claim {
    std::int32_t Index = 0;
    std::uint64_t Generation = 0;
    std::int32_t Count = 1;
  };
  /// Where a file's result waits, in a ring of window_ places.
  struct Slot {
    enum class State { Free, Claimed, Ready } Now = State::Free;
    std::int32_t Index = -1;
    std::uint64_t Generation = 0;
    FileResult Result;
    std::size_t Bytes = 0;
  };

  /// Tells a file's result to the listener.
  void Apply(FileId file, const FileResult& result);
  /// A reader of the catalog's first count files in the walk's order, with the given limits.
  std::unique_ptr<ReadAhead> MakeReader(const ReadLimits& limits, std::int32_t count);
  /// Takes what the supply tells of the catalog's files; with mutex_ held.
  void Refresh(const FileSupply::Files& files);
  /// Waits a checkpoint's pause at most for more than count files, lock on mutex_ released
  /// meanwhile, and takes what came.
  void WaitForFiles(std::unique_lock<std::mutex>& lock, std::int32_t count);
  /// Waits until the catalog's files are complete, answering checkpoints; false when stopped.
  bool AwaitAllFiles();
  /// What waiting for a file's result came to.
  enum class Awaited { Ready, NoSuchFile, Stopped };
  /// Searches every file on this thread, the next ones read ahead by a helper.
  bool RunAlone();
  /// Searches with worker threads, telling results in order; false when stopped.
  bool RunWorkers();
  /// The share of the search done once file index (of size bytes) is told, of the files
  /// known; searchedSize sums the sizes told so far.
  double Progress(std::int32_t index, std::int64_t size, const FileSupply::Files& known,
                  double& searchedSize) const;
  /// Waits for the result of file index, answering checkpoints meanwhile; NoSuchFile when the
  /// catalog ended before it. known is then what the catalog holds so far.
  Awaited Await(std::int32_t index, FileResult& result, FileSupply::Files& known);
  /// A worker thread's life.
  void Work();
  /// The next files for a worker, at most most of them; false when the search is over.
  bool ClaimNext(Claim& claim, std::int32_t most);
  /// Whether a worker's claim of one file was taken back by a restart.
  bool Withdrawn(const Claim& claim);
  /// Keeps a worker's result unless its claim was withdrawn meanwhile.
  void Store(const Claim& claim, FileResult result);
  /// Ends the workers and waits for them.
  void EndWorkers();
  /// A page being recognised, told to the listener on the caller's thread.
  struct PageNews {
    std::int32_t Index = 0;
    int Page = 0;
    int Pages = 0;
  };
  /// Tells the listener of a page being recognised.
  void TellPage(const PageNews& news);
  /// A page began to be recognised on whichever thread searches it: told at once on the
  /// caller's thread, else kept for the caller to tell. A searcher prepared by the caller may
  /// go on in a worker, so the thread is asked at the moment, not when the searcher was made.
  void NotePage(const PageNews& news);
  /// Makes a searcher whose page news go through NotePage.
  std::unique_ptr<Searcher> MakeSearcher(const std::function<bool()>& keepGoing);
  /// Tells the listener of the page a worker recognises now, if any came since last time.
  void TellPageNews();
  /// The listener's checkpoint, remembered once it said stop.
  bool Checkpoint();

  platform::System& system_;
  FileCatalog& catalog_;
  const PersonTable& persons_;
  const SearchSettings& settings_;
  SearchListener& listener_;
  FileSupply* supply_;
  std::unique_ptr<Searcher> searcher_;  ///< the caller's own
  std::unique_ptr<ReadAhead> reader_;   ///< the caller's reader when searching alone
  bool stopped_ = false;
  std::thread::id callerThread_;  ///< the thread Run was called on

  // The workers and the ordered window of their results.
  std::mutex mutex_;
  std::condition_variable sessionWakes_;
  std::condition_variable workersWake_;
  std::vector<std::thread> workers_;
  std::vector<Slot> slots_;
  std::int32_t fileCount_ = 0;  ///< files in the catalog so far
  double totalSize_ = 0;        ///< their sizes summed
  bool complete_ = true;        ///< no more files come
  std::int32_t window_ = 0;     ///< results that may wait at most
  std::int32_t applied_ = 0;    ///< files whose results were told
  std::int32_t nextClaim_ = 0;  ///< the next file for a worker
  std::int32_t awaited_ = -1;   ///< the file the caller waits for
  std::int32_t started_ = -1;   ///< the file whose start was told last
  std::size_t pendingBytes_ = 0;
  std::int32_t liveWorkers_ = 0;
  std::int32_t workersWaiting_ = 0;
  bool sessionWaiting_ = false;
  bool over_ = false;  ///< the workers are to end
  std::atomic<bool> halt_{false};
  std::mutex pageMutex_;                      ///< guards page_
  std::optional<PageNews> page_;              ///< the latest page a worker began to recognise
  std::atomic<std::uint64_t> generation_{0};  ///< raised when files changed on disk
};
