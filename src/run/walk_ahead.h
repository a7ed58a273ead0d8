#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "collect/file_catalog.h"
#include "collect/file_type_rules.h"
#include "collect/folder_walker.h"
#include "platform/system.h"
#include "search/file_supply.h"

/// Walks the trees of the FOLDER lines on a thread of its own, one after the other in the order
/// of the lines, while the configuration is read on and the search begins with the first files.
/// What the walk tells waits until the session's thread asks for it, so the session applies it
/// in walk order on its own thread, as if it had walked itself.
class WalkAhead : public FileSupply, private WalkListener {
 public:
  /// What the walk told, handed over on the asking thread.
  class Events {
   public:
    virtual ~Events() = default;
    /// folder (of configuration line line) could not be listed.
    virtual void WalkFolderNotListed(FolderId folder, const platform::SystemError& failure,
                                     std::int32_t line) = 0;
    /// The root folder of configuration line line was opened for listing.
    virtual void WalkRootListed(FolderId folder, std::int32_t line) = 0;
    /// count entries were left out for the reason entry.
    virtual void WalkEntriesSkipped(SkippedEntry entry, std::int64_t count) = 0;
    /// The catalog now holds folders folders and files files.
    virtual void WalkCounted(std::size_t folders, std::size_t files) = 0;
  };

  /// A walker that adds to catalog, which must outlive it, what it finds on system.
  WalkAhead(platform::System& system, FileCatalog& catalog);
  /// Stops the walk and waits for it.
  ~WalkAhead() override;
  WalkAhead(const WalkAhead&) = delete;
  WalkAhead& operator=(const WalkAhead&) = delete;

  /// Walks the tree at path with rules once the walks added before are done; line is the
  /// configuration line that asked for it.
  void Add(std::u16string path, FileTypeRules rules, std::int32_t line);
  /// No more walks come: the files are complete once the last one has ended.
  void Close();
  /// Ends the walk at its next entry and waits for it; what it added stays, and is complete.
  void Stop();
  /// Tells events what the walk told since the last call, in walk order.
  void Tell(Events& events);

  Files Now() override;
  Files WaitBeyond(std::int32_t count, std::chrono::milliseconds pause) override;

 private:
  struct Walk {
    std::u16string Path;
    FileTypeRules Rules;
    std::int32_t Line = 0;
  };
  /// A folder that could not be listed, or a root listed (no failure).
  struct FolderNews {
    FolderId Folder{};
    std::optional<platform::SystemError> Failure;
    std::int32_t Line = 0;
  };

  /// The walking thread's life; on the adding thread, only the walks waiting now.
  void Run(bool onAddingThread);
  /// Makes what was walked so far visible to the search and the session.
  void Publish(bool complete);

  void FolderEntered(FolderId folder) override;
  void FolderNotListed(FolderId folder, const platform::SystemError& failure) override;
  void RootListed(FolderId folder) override;
  void FileKept(FileId file) override;
  void EntrySkipped(SkippedEntry entry) override;
  bool Checkpoint() override;

  platform::System& system_;
  FileCatalog& catalog_;
  std::thread thread_;

  // Only the walking thread's.
  std::int32_t line_ = 0;         ///< the line of the walk under way
  std::int32_t unpublished_ = 0;  ///< files kept since the last publishing
  std::vector<FolderNews> folderNews_;
  std::array<std::int64_t, 5> skipped_{};

  std::mutex mutex_;
  std::condition_variable walkerWakes_;
  std::condition_variable filesCome_;
  std::deque<Walk> walks_;
  bool closed_ = false;
  std::atomic<bool> stop_{false};
  std::int32_t waiting_ = 0;  ///< threads waiting for files
  Files files_;               ///< what the search may take
  std::size_t folders_ = 0;
  bool news_ = false;  ///< told since the last Tell
  std::vector<FolderNews> toldFolders_;
  std::array<std::int64_t, 5> toldSkipped_{};
};
