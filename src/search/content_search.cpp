#include "search/content_search.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>

#include "extract/reasons.h"
#include "search/document_search.h"
#include "search/read_ahead.h"
#include "search/term_search.h"

namespace {

TermMatching MatchingOf(SearchMode mode) {
  return mode == SearchMode::Binary ? TermMatching::IgnoreCase : TermMatching::Exact;
}

/// What the search needs of the system's single-byte code page.
CodePage SearchCodePage(const platform::CodePage& codePage) {
  return {[&codePage](std::u16string_view text) { return codePage.Encode(text); },
          codePage.CaseFoldTable()};
}

/// The byte forms in which terms are written in the given encodings.
ByteForms FormsOf(platform::TextEncodings encodings) {
  using platform::TextEncoding;
  ByteForms forms;
  if (encodings.Has(TextEncoding::Ansi)) forms = forms.With(ByteForm::Ansi);
  if (encodings.Has(TextEncoding::Utf8)) forms = forms.With(ByteForm::Utf8);
  if (encodings.Has(TextEncoding::Utf16)) {
    forms = forms.With(ByteForm::Utf16Le).With(ByteForm::Utf16Be);
  }
  return forms;
}

/// The reader numbers files from 1, in catalog order.
std::int32_t ReaderNumber(FileId file) {
  return static_cast<std::int32_t>(file) + 1;
}

/// How long the caller waits for a worker's result before it asks its checkpoint again.
constexpr std::chrono::milliseconds kCheckpointPause{15};
/// Results that may wait to be told, per worker.
constexpr std::int32_t kWindowPerWorker = 256;
/// Bytes the waiting results may hold (persons hit, reasons) before the workers wait.
constexpr std::size_t kWindowBytes = std::size_t{8} << 20;
/// Files a worker claims and opens at once at most, and how long a file may take to search to
/// count as fast: runs of fast files are opened together, slow ones claimed one by one.
constexpr std::int32_t kLongestRun = 32;
constexpr std::chrono::microseconds kFastFile{500};
/// Ready results in order that wake the caller; fewer wake it only at the end or when the
/// window is full, so small files do not cost a thread switch each.
constexpr std::int32_t kWakeBatch = 64;

platform::SystemError OutOfMemory() {
  return platform::SystemError{platform::ErrorKind::Other, u"Nicht genügend Speicher"};
}

/// The bytes a waiting result holds beyond its place.
std::size_t BytesOf(const ContentSearch::FileResult& result) {
  std::size_t bytes = result.Hits.size() * sizeof(PersonId);
  if (result.Failure) bytes += result.Failure->Description.size() * sizeof(char16_t);
  if (result.NotExtracted) bytes += result.NotExtracted->Reason.size();
  return bytes;
}

}  // namespace

/// The scanner state one thread searches files with: its own copy of the prepared terms and
/// its own document reader.
class ContentSearch::Searcher {
 public:
  using KeepGoing = std::function<bool()>;

  /// Told before a page of file number index (from 0) is recognised (page from 1, of pages).
  using PageProgress = std::function<void(std::int32_t index, int page, int pages)>;

  Searcher(const PersonTable& persons, const SearchSettings& settings, const CodePage& codePage,
           const KeepGoing& keepGoing, PageProgress progress)
      : terms_(persons.All(), MatchingOf(settings.Mode), codePage, FormsOf(settings.Encodings),
               keepGoing),
        progress_(std::move(progress)) {
    if (settings.Documents == DocumentReading::On) {
      documents_ = std::make_unique<DocumentSearch>(
          persons.All(), MatchingOf(settings.Mode), codePage, settings.Recognition,
          [this](int page, int pages) { progress_(current_, page, pages); });
    }
  }

  /// False when the preparation was stopped.
  bool Complete() const { return terms_.Complete(); }

  /// Searches file number (from 1) as reader gives it; false when keepGoing said stop.
  bool Search(ReadAhead& reader, std::int32_t number, const KeepGoing& keepGoing,
              FileResult& result) {
    // The file comes in blocks, so memory does not grow with its size. A large file lets the
    // caller answer between its blocks.
    reader.Start(number);
    current_ = number - 1;
    terms_.Begin();
    std::string_view block;
    std::optional<platform::SystemError> failure;
    std::string headBytes;  // the first bytes, which tell whether the file may be a document
    for (bool first = true; reader.Next(block, failure); first = false) {
      if (!first) {
        if (!keepGoing()) return false;
      } else if (documents_ || !DocumentsReadable()) {  // read, or listed as not readable
        headBytes.assign(block.substr(0, DocumentSearch::kHeadBytes));
      }
      terms_.Feed(block);
    }
    terms_.Finish();
    result.Size = reader.Length();
    // A file whose reading fails after some blocks counts as unreadable as a whole: what was
    // read of it is no content of the file, so it gives no hit, as if it could not be read.
    if (failure) {
      result.Failure = std::move(failure);
      return true;
    }
    if (documents_ && DocumentSearch::MayBeDocument(headBytes)) {
      if (!SearchDocument(*reader.File(), headBytes, keepGoing, result)) return false;
    } else if (DocumentSearch::UnreadableArchive(headBytes)) {
      result.NotExtracted =
          NotExtractedFile{{}, std::string(extract::reason::kArchive), ContentGap::NotBuiltIn};
    }
    // Only persons with a term in this file, and persons without terms, can get a hit; the
    // others would only miss. A person without search terms is found in every file read.
    for (const std::int32_t index : terms_.PersonsToVisit()) {
      const std::vector<std::int32_t>& termNumbers = terms_.TermsOf(index);
      if (termNumbers.empty() ||
          std::any_of(termNumbers.begin(), termNumbers.end(),
                      [this](std::int32_t term) { return terms_.Occurs(term); })) {
        result.Hits.push_back(IdOf<PersonId>(static_cast<std::size_t>(index)));
      }
    }
    return true;
  }

 private:
  /// Searches the text inside the open file; false when stopped.
  bool SearchDocument(platform::ReadableFile& content, std::string_view head,
                      const KeepGoing& keepGoing, FileResult& result) {
    // The extractor takes a document whole; one larger than it takes is searched by its raw
    // bytes only. The bytes come from the file already open, read at offsets.
    const std::int64_t length = content.Length();
    if (length < 0 || static_cast<std::uint64_t>(length) > DocumentSearch::WholeBytesLimit()) {
      // Listed only when its first bytes name the kind: a file starting with zeros may be a disk
      // image as well as an ISO 9660 image, whose signature lies further in.
      if (DocumentSearch::KnownByHead(head)) {
        result.NotExtracted =
            NotExtractedFile{{}, DocumentSearch::TooLargeReason(), ContentGap::Unread};
      }
      return true;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      std::size_t count = 0;
      if (content.ReadAt(static_cast<std::int64_t>(done), bytes.data() + done, bytes.size() - done,
                         count) ||
          count == 0) {
        break;
      }
      done += count;
    }
    bytes.resize(done);
    // A long extraction asks now and then whether to go on.
    bool stopped = false;
    DocumentResult found = documents_->Search(bytes, terms_, [&] {
      if (!stopped && !keepGoing()) stopped = true;
      return !stopped;
    });
    result.NotExtracted = std::move(found.NotExtracted);
    result.Recognised = found.Recognised;
    return !stopped;
  }

  TermSearch terms_;
  PageProgress progress_;
  std::int32_t current_ = 0;                   ///< the file being searched
  std::unique_ptr<DocumentSearch> documents_;  ///< none when documents are not read
};

ContentSearch::ContentSearch(platform::System& system, FileCatalog& catalog,
                             const PersonTable& persons, const SearchSettings& settings,
                             SearchListener& listener, FileSupply* supply)
    : system_(system),
      catalog_(catalog),
      persons_(persons),
      settings_(settings),
      listener_(listener),
      supply_(supply) {}

ContentSearch::~ContentSearch() {
  EndWorkers();
}

bool ContentSearch::Checkpoint() {
  if (!stopped_ && !listener_.Checkpoint()) stopped_ = true;
  return !stopped_;
}

bool ContentSearch::Run() {
  listener_.SearchStarted();
  callerThread_ = std::this_thread::get_id();
  // Preparing many terms takes a while; the window answers meanwhile and may stop it.
  searcher_ = MakeSearcher([this] { return Checkpoint(); });
  if (stopped_ || !searcher_->Complete()) return false;
  if (supply_ != nullptr) {
    const FileSupply::Files files = supply_->Now();
    fileCount_ = files.Count;
    totalSize_ = files.Size;
    complete_ = files.Complete;
  } else {
    fileCount_ = static_cast<std::int32_t>(catalog_.FileCount());
    totalSize_ = catalog_.TotalSize();
  }
  const bool done =
      settings_.Workers > 1 && (!complete_ || fileCount_ > 1) ? RunWorkers() : RunAlone();
  if (done) listener_.SearchFinished();
  return done;
}

void ContentSearch::Apply(FileId file, const FileResult& result) {
  // A size the walk left to the search is the file's length as it was read.
  if (catalog_.FileSize(file) == FileCatalog::kSizeLater) catalog_.LearnSize(file, result.Size);
  if (result.Failure) {
    listener_.FileUnreadable(file, *result.Failure);
    return;
  }
  if (result.Recognised.Pages > 0) listener_.PagesRecognised(file, result.Recognised);
  if (result.NotExtracted) {
    listener_.DocumentNotExtracted(file, result.NotExtracted->Reason, result.NotExtracted->Gap);
  }
  for (const PersonId person : result.Hits)
    listener_.HitFound(person, file);
}

std::unique_ptr<ReadAhead> ContentSearch::MakeReader(const ReadLimits& limits, std::int32_t count) {
  return std::make_unique<ReadAhead>(
      system_, count,
      [this](std::int32_t number) {
        return catalog_.FilePath(IdOf<FileId>(static_cast<std::size_t>(number - 1)));
      },
      limits,
      [this](std::int32_t number) {
        return catalog_.Locate(IdOf<FileId>(static_cast<std::size_t>(number - 1)));
      });
}

void ContentSearch::Refresh(const FileSupply::Files& files) {
  if (files.Count < fileCount_) return;
  totalSize_ = files.Size;
  complete_ = complete_ || files.Complete;
  if (files.Count == fileCount_) return;
  fileCount_ = files.Count;
  if (workersWaiting_ > 0) workersWake_.notify_all();
}

void ContentSearch::WaitForFiles(std::unique_lock<std::mutex>& lock, std::int32_t count) {
  lock.unlock();
  const FileSupply::Files files = supply_->WaitBeyond(count, kCheckpointPause);
  lock.lock();
  Refresh(files);
}

bool ContentSearch::AwaitAllFiles() {
  std::unique_lock lock(mutex_);
  while (!complete_) {
    WaitForFiles(lock, fileCount_);
    if (complete_) break;
    lock.unlock();
    if (!Checkpoint()) return false;
    lock.lock();
  }
  return true;
}

bool ContentSearch::RunAlone() {
  // Reading ahead needs to know the files to come: alone, the search begins after the walk.
  if (!AwaitAllFiles()) return false;
  // The reader asks for paths on this thread only; its helper touches no table.
  reader_ = MakeReader(settings_.Reading, fileCount_);
  const FileSupply::Files known{fileCount_, totalSize_, complete_};
  double searchedSize = 0;
  for (std::int32_t index = 0; index < fileCount_; ++index) {
    const FileId file = IdOf<FileId>(static_cast<std::size_t>(index));
    listener_.FileStarted(file);
    FileResult result;
    if (!searcher_->Search(
            *reader_, ReaderNumber(file), [this] { return Checkpoint(); }, result)) {
      return false;
    }
    Apply(file, result);
    listener_.FileSearched(file, Progress(index, catalog_.FileSize(file), known, searchedSize));
    if (!Checkpoint()) return false;
  }
  return true;
}

bool ContentSearch::RunWorkers() {
  window_ = std::max(settings_.Workers * kWindowPerWorker, 2 * kWakeBatch);
  slots_.assign(static_cast<std::size_t>(window_), Slot{});
  for (std::int32_t worker = 0; worker < settings_.Workers; ++worker) {
    {
      const std::lock_guard lock(mutex_);
      ++liveWorkers_;
    }
    try {
      workers_.emplace_back(&ContentSearch::Work, this);
    } catch (const std::system_error&) {
      // Fewer workers; without any, the caller searches each file itself.
      const std::lock_guard lock(mutex_);
      --liveWorkers_;
      break;
    }
  }
  double searchedSize = 0;
  bool done = true;
  for (std::int32_t index = 0;; ++index) {
    const FileId file = IdOf<FileId>(static_cast<std::size_t>(index));
    FileResult result;
    FileSupply::Files known;
    const Awaited awaited = Await(index, result, known);
    if (awaited != Awaited::Ready) {
      done = awaited == Awaited::NoSuchFile;
      break;
    }
    Apply(file, result);
    listener_.FileSearched(file, Progress(index, catalog_.FileSize(file), known, searchedSize));
    if (!Checkpoint()) {
      done = false;
      break;
    }
  }
  EndWorkers();
  return done;
}

double ContentSearch::Progress(std::int32_t index, std::int64_t size,
                               const FileSupply::Files& known, double& searchedSize) const {
  // While a walk still fills the catalog, sizes are mostly learned as files are read: the
  // share of bytes is not known before the end, the share of files is.
  if (supply_ != nullptr) {
    const std::int32_t count = std::max(known.Count, index + 1);
    return static_cast<double>(index + 1) / static_cast<double>(count);
  }
  searchedSize += static_cast<double>(std::max<std::int64_t>(size, 0));
  // When every kept file is empty there is nothing to weigh: each searched file then shows the
  // bar full instead of dividing by zero.
  return known.Size > 0 ? searchedSize / known.Size : 1.0;
}

ContentSearch::Awaited ContentSearch::Await(std::int32_t index, FileResult& result,
                                            FileSupply::Files& known) {
  std::unique_lock lock(mutex_);
  // While the walk still fills the catalog, the file may not be in it yet.
  while (index >= fileCount_) {
    if (complete_ || supply_ == nullptr) return Awaited::NoSuchFile;
    WaitForFiles(lock, index);
    if (index < fileCount_ || complete_) continue;
    lock.unlock();
    TellPageNews();
    const bool goOn = Checkpoint();
    lock.lock();
    if (!goOn) return Awaited::Stopped;
  }
  known = FileSupply::Files{fileCount_, totalSize_, complete_};
  started_ = index;
  lock.unlock();
  listener_.FileStarted(IdOf<FileId>(static_cast<std::size_t>(index)));
  lock.lock();
  Slot& slot = slots_[static_cast<std::size_t>(index % window_)];
  for (;;) {
    if (slot.Now == Slot::State::Ready && slot.Index == index) {
      result = std::move(slot.Result);
      pendingBytes_ -= slot.Bytes;
      slot = Slot{};
      applied_ = index + 1;
      // Waiting workers are woken once a good part of the window is free again, not per file.
      const std::int32_t room = applied_ + window_ - nextClaim_;
      if (workersWaiting_ > 0 && nextClaim_ < fileCount_ && room >= window_ / 4 &&
          pendingBytes_ <= kWindowBytes / 2) {
        workersWake_.notify_all();
      }
      return Awaited::Ready;
    }
    const bool claimed = slot.Now == Slot::State::Claimed && slot.Index == index;
    if (liveWorkers_ == 0 && !claimed) {
      // No worker is left to search it: the caller does, as when searching alone.
      slot = Slot{Slot::State::Claimed, index, generation_.load(), {}, 0};
      nextClaim_ = std::max(nextClaim_, index + 1);
      lock.unlock();
      if (reader_ == nullptr) {
        ReadLimits limits = settings_.Reading;
        limits.Thread = ReadThread::Caller;
        limits.FilesAhead = 0;
        reader_ = MakeReader(limits, std::numeric_limits<std::int32_t>::max());
      }
      if (searcher_ == nullptr) {
        searcher_ = MakeSearcher([this] { return Checkpoint(); });
        if (!searcher_->Complete()) return Awaited::Stopped;
      }
      FileResult own;
      const bool searched = searcher_->Search(
          *reader_, index + 1, [this] { return Checkpoint(); }, own);
      reader_.reset();  // files may come again after a restart; a fresh reader takes any
      lock.lock();
      if (!searched) return Awaited::Stopped;
      slot.Now = Slot::State::Ready;
      slot.Result = std::move(own);
      continue;
    }
    awaited_ = index;
    sessionWaiting_ = true;
    const bool woken = sessionWakes_.wait_for(lock, kCheckpointPause) == std::cv_status::no_timeout;
    sessionWaiting_ = false;
    if (woken && slot.Now == Slot::State::Ready && slot.Index == index) continue;
    // The window answers while the workers search; a stop there ends them at once.
    lock.unlock();
    TellPageNews();
    const bool goOn = Checkpoint();
    lock.lock();
    if (!goOn) return Awaited::Stopped;
  }
}

bool ContentSearch::ClaimNext(Claim& claim, std::int32_t most) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (over_) return false;
    if (nextClaim_ < fileCount_ && nextClaim_ < applied_ + window_ &&
        pendingBytes_ < kWindowBytes) {
      const std::int32_t count =
          std::min({most, fileCount_ - nextClaim_, applied_ + window_ - nextClaim_});
      claim = Claim{nextClaim_, generation_.load(), count};
      for (std::int32_t index = nextClaim_; index < nextClaim_ + count; ++index) {
        slots_[static_cast<std::size_t>(index % window_)] =
            Slot{Slot::State::Claimed, index, claim.Generation, {}, 0};
      }
      nextClaim_ += count;
      return true;
    }
    // Past the files the walk has added so far, the worker waits for the next ones.
    if (nextClaim_ >= fileCount_ && !complete_ && supply_ != nullptr) {
      WaitForFiles(lock, fileCount_);
      continue;
    }
    // A full window waits for the caller: it must not wait for a batch that cannot grow.
    if (nextClaim_ < fileCount_ && sessionWaiting_) sessionWakes_.notify_one();
    ++workersWaiting_;
    workersWake_.wait(lock);
    --workersWaiting_;
  }
}

bool ContentSearch::Withdrawn(const Claim& claim) {
  if (generation_.load(std::memory_order_relaxed) == claim.Generation) return false;
  const std::lock_guard lock(mutex_);
  const Slot& slot = slots_[static_cast<std::size_t>(claim.Index % window_)];
  return slot.Index != claim.Index || slot.Generation != claim.Generation ||
         slot.Now != Slot::State::Claimed;
}

void ContentSearch::Store(const Claim& claim, FileResult result) {
  const std::lock_guard lock(mutex_);
  Slot& slot = slots_[static_cast<std::size_t>(claim.Index % window_)];
  // A restart took the file back meanwhile: it is searched again as it is now.
  if (slot.Index != claim.Index || slot.Generation != claim.Generation ||
      slot.Now != Slot::State::Claimed) {
    return;
  }
  slot.Bytes = BytesOf(result);
  slot.Result = std::move(result);
  slot.Now = Slot::State::Ready;
  pendingBytes_ += slot.Bytes;
  if (!sessionWaiting_) return;
  const Slot& awaited = slots_[static_cast<std::size_t>(awaited_ % window_)];
  if (awaited.Now != Slot::State::Ready || awaited.Index != awaited_) return;
  // The caller is woken for a batch of results in order, or for the last ones, or when the
  // window cannot take more.
  std::int32_t ready = 0;
  while (ready < kWakeBatch && awaited_ + ready < fileCount_) {
    const Slot& next = slots_[static_cast<std::size_t>((awaited_ + ready) % window_)];
    if (next.Now != Slot::State::Ready || next.Index != awaited_ + ready) break;
    ++ready;
  }
  if (ready >= kWakeBatch || awaited_ + ready >= fileCount_ || nextClaim_ >= applied_ + window_ ||
      pendingBytes_ >= kWindowBytes) {
    sessionWakes_.notify_one();
  }
}

void ContentSearch::TellPage(const PageNews& news) {
  listener_.PageRecognising(IdOf<FileId>(static_cast<std::size_t>(news.Index)), news.Page,
                            news.Pages);
}

void ContentSearch::NotePage(const PageNews& news) {
  if (std::this_thread::get_id() == callerThread_) {
    TellPage(news);
    return;
  }
  // Told on the caller's thread when it next waits or answers a checkpoint.
  const std::lock_guard lock(pageMutex_);
  page_ = news;
}

std::unique_ptr<ContentSearch::Searcher> ContentSearch::MakeSearcher(
    const std::function<bool()>& keepGoing) {
  return std::make_unique<Searcher>(persons_, settings_, SearchCodePage(system_.CodePage()),
                                    keepGoing, [this](std::int32_t number, int page, int pages) {
                                      NotePage({number, page, pages});
                                    });
}

void ContentSearch::TellPageNews() {
  std::optional<PageNews> news;
  {
    const std::lock_guard lock(pageMutex_);
    news.swap(page_);
  }
  if (news) TellPage(*news);
}

void ContentSearch::Work() {
  std::unique_ptr<Searcher> searcher;
  {
    // The first worker takes the caller's prepared terms; the others prepare their own
    // meanwhile, while the first one already searches.
    const std::lock_guard lock(mutex_);
    searcher = std::move(searcher_);
  }
  try {
    if (searcher == nullptr) {
      searcher = MakeSearcher([this] { return !halt_.load(std::memory_order_relaxed); });
    }
  } catch (const std::bad_alloc&) {
    searcher.reset();  // no room for another scanner: the other workers and the caller go on
  }
  ReadLimits limits = settings_.Reading;
  // A worker reads the file it searches itself: no hand-off to another thread per file.
  limits.Thread = ReadThread::Caller;
  limits.FilesAhead = 0;
  std::unique_ptr<ReadAhead> reader;
  std::int32_t last = -1;
  // Files that search fast are claimed in runs and opened together; a slow one (a document)
  // makes the runs short again, so that no worker holds many slow files the others could take.
  std::int32_t runLength = 1;
  Claim run;
  while (searcher != nullptr && searcher->Complete() && ClaimNext(run, runLength)) {
    const auto started = std::chrono::steady_clock::now();
    for (std::int32_t offset = 0; offset < run.Count; ++offset) {
      const Claim claim{run.Index + offset, run.Generation, 1};
      // A restart took the rest back: they are searched again as they are now, by a fresh
      // reader, which has opened nothing ahead.
      if (Withdrawn(claim)) {
        reader.reset();
        break;
      }
      const auto keepGoing = [this, &claim] {
        return !halt_.load(std::memory_order_relaxed) && !Withdrawn(claim);
      };
      FileResult result;
      bool searched = false;
      try {
        // After a restart the files may come again from an earlier one: a fresh reader takes any.
        if (reader == nullptr || claim.Index <= last) {
          reader.reset();
          // Each worker's reader takes exactly the file asked for, whatever the catalog holds.
          reader = MakeReader(limits, std::numeric_limits<std::int32_t>::max());
        }
        if (offset == 0) reader->OpenAhead(ReaderNumber(IdOf<FileId>(run.Index)), run.Count);
        last = claim.Index;
        searched = searcher->Search(*reader, claim.Index + 1, keepGoing, result);
      } catch (const std::bad_alloc&) {
        // This file could not be searched for want of memory; it says so, the others go on.
        result = FileResult{};
        result.Failure = OutOfMemory();
        searched = true;
        reader.reset();
      }
      if (!searched) {
        reader.reset();
        break;
      }
      Store(claim, std::move(result));
    }
    const auto perFile = (std::chrono::steady_clock::now() - started) / run.Count;
    runLength = perFile < kFastFile ? std::min(runLength * 2, kLongestRun) : 1;
  }
  const std::lock_guard lock(mutex_);
  --liveWorkers_;
  // The caller may be waiting for a file no worker will search now.
  sessionWakes_.notify_one();
}

void ContentSearch::EndWorkers() {
  {
    const std::lock_guard lock(mutex_);
    over_ = true;
  }
  halt_ = true;
  workersWake_.notify_all();
  for (std::thread& worker : workers_)
    worker.join();
  workers_.clear();
}

void ContentSearch::FilesChanged() {
  if (workers_.empty()) {
    if (reader_ != nullptr) reader_->Restart();
    return;
  }
  const std::lock_guard lock(mutex_);
  // Every file after the one being told is searched again, as it is now; the one being told
  // was opened already, as when searching alone.
  ++generation_;
  for (std::int32_t index = started_ + 1; index < nextClaim_; ++index) {
    Slot& slot = slots_[static_cast<std::size_t>(index % window_)];
    if (slot.Index != index) continue;
    pendingBytes_ -= slot.Bytes;
    slot = Slot{};
  }
  nextClaim_ = std::min(nextClaim_, started_ + 1);
  workersWake_.notify_all();
}
