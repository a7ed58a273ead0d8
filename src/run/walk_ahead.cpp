#include "run/walk_ahead.h"

#include <system_error>
#include <utility>

namespace {

/// Files kept between two publishings at most: the search gets new files in batches, and a
/// folder of many files does not keep them from it.
constexpr std::int32_t kPublishEvery = 64;

}  // namespace

WalkAhead::WalkAhead(platform::System& system, FileCatalog& catalog)
    : system_(system), catalog_(catalog) {}

WalkAhead::~WalkAhead() {
  Stop();
}

void WalkAhead::Add(std::u16string path, FileTypeRules rules, std::int32_t line) {
  {
    const std::lock_guard lock(mutex_);
    walks_.push_back(Walk{std::move(path), std::move(rules), line});
  }
  if (thread_.joinable()) {
    walkerWakes_.notify_one();
    return;
  }
  try {
    thread_ = std::thread(&WalkAhead::Run, this, false);
  } catch (const std::system_error&) {
    // Without a thread of its own the walk happens here and now, telling the same.
    Run(true);
  }
}

void WalkAhead::Close() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }
  if (thread_.joinable()) {
    walkerWakes_.notify_one();
  } else {
    Publish(true);  // nothing is walking: what there is, is all
  }
}

void WalkAhead::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  walkerWakes_.notify_one();
  if (thread_.joinable()) thread_.join();
  Publish(true);
}

void WalkAhead::Run(bool onAddingThread) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (onAddingThread && walks_.empty()) return;
    walkerWakes_.wait(lock, [this] { return stop_ || closed_ || !walks_.empty(); });
    if (stop_ || walks_.empty()) break;
    Walk walk = std::move(walks_.front());
    walks_.pop_front();
    lock.unlock();
    line_ = walk.Line;
    FolderWalker(system_, walk.Rules, catalog_, *this, KeptSizes::Later).Walk(walk.Path);
    Publish(false);
    lock.lock();
  }
  lock.unlock();
  Publish(true);
}

void WalkAhead::Publish(bool complete) {
  const Files files{static_cast<std::int32_t>(catalog_.FileCount()), catalog_.TotalSize(),
                    complete};
  const std::size_t folders = catalog_.FolderCount();
  const std::lock_guard lock(mutex_);
  if (files_.Complete) return;  // stopped: nothing after counts
  files_ = files;
  folders_ = folders;
  for (FolderNews& news : folderNews_)
    toldFolders_.push_back(std::move(news));
  folderNews_.clear();
  for (std::size_t kind = 0; kind < skipped_.size(); ++kind) {
    toldSkipped_[kind] += skipped_[kind];
    skipped_[kind] = 0;
  }
  unpublished_ = 0;
  news_ = true;
  if (waiting_ > 0) filesCome_.notify_all();
}

void WalkAhead::Tell(Events& events) {
  std::vector<FolderNews> folders;
  std::array<std::int64_t, 5> skipped{};
  Files files;
  std::size_t folderCount = 0;
  {
    const std::lock_guard lock(mutex_);
    if (!news_) return;
    news_ = false;
    folders.swap(toldFolders_);
    skipped.swap(toldSkipped_);
    files = files_;
    folderCount = folders_;
  }
  for (const FolderNews& news : folders) {
    if (news.Failure) {
      events.WalkFolderNotListed(news.Folder, *news.Failure, news.Line);
    } else {
      events.WalkRootListed(news.Folder, news.Line);
    }
  }
  for (std::size_t kind = 0; kind < skipped.size(); ++kind) {
    if (skipped[kind] > 0)
      events.WalkEntriesSkipped(static_cast<SkippedEntry>(kind), skipped[kind]);
  }
  events.WalkCounted(folderCount, static_cast<std::size_t>(files.Count));
}

FileSupply::Files WalkAhead::Now() {
  const std::lock_guard lock(mutex_);
  return files_;
}

FileSupply::Files WalkAhead::WaitBeyond(std::int32_t count, std::chrono::milliseconds pause) {
  std::unique_lock lock(mutex_);
  ++waiting_;
  filesCome_.wait_for(lock, pause,
                      [this, count] { return files_.Count > count || files_.Complete; });
  --waiting_;
  return files_;
}

// ---- What the walk tells, on the walking thread. ----

void WalkAhead::FolderEntered(FolderId /*folder*/) {
  // Each folder's files reach the search once the walk moves on, at the latest.
  if (unpublished_ > 0) Publish(false);
}

void WalkAhead::FolderNotListed(FolderId folder, const platform::SystemError& failure) {
  folderNews_.push_back(FolderNews{folder, failure, line_});
}

void WalkAhead::RootListed(FolderId folder) {
  folderNews_.push_back(FolderNews{folder, std::nullopt, line_});
}

void WalkAhead::FileKept(FileId /*file*/) {
  if (++unpublished_ >= kPublishEvery) Publish(false);
}

void WalkAhead::EntrySkipped(SkippedEntry entry) {
  ++skipped_[static_cast<std::size_t>(entry)];
}

bool WalkAhead::Checkpoint() {
  return !stop_.load(std::memory_order_relaxed);
}
