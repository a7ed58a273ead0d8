#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/system.h"
#include "search/read_limits.h"

/// Reads files 1 to n in order, block by block, for a single consumer. A helper thread opens and
/// reads the next files while the consumer works on the current one, holding at most the
/// limits' files and bytes ready; it only calls the system's file reading and never touches the
/// consumer's state. Large files are mapped rather than read where the system can, and handed
/// out in the same blocks. The paths come from a function that is called on the consumer's
/// thread only. A file is read up to the length it had when opened: one that shrinks ends early,
/// one that grows is read as far as its opening length. Destroying the reader ends the helper.
/// Where the reader knows where the walk found each file, it opens the very file found.
class ReadAhead {
 public:
  /// Where the walk found file number n; called on the consumer's thread only.
  using Locate = std::function<platform::FoundFile(std::int32_t)>;

  /// Prepares to read files 1 to fileCount; pathOf gives a file's full path, locate (if given)
  /// where the walk found it.
  ReadAhead(platform::System& system, std::int32_t fileCount,
            std::function<std::u16string(std::int32_t)> pathOf, ReadLimits limits = {},
            Locate locate = {});
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  /// Moves to file number file, after every file before it; its blocks then come from Next.
  void Start(std::int32_t file);
  /// The next block of the current file: false at its end. A file that could not be opened, or
  /// whose reading failed after some blocks, ends with failure set.
  bool Next(std::string_view& block, std::optional<platform::SystemError>& failure);
  /// The current file, open, for reads at an offset; null when it could not be opened.
  const std::shared_ptr<platform::ReadableFile>& File() const { return file_; }
  /// The current file's length when it was opened or, when it could not be opened, as the
  /// file system lists it; negative when unknown.
  std::int64_t Length();
  /// Files file to file + count - 1 are asked for next, one after the other: where the system
  /// can, they are opened at once (the small ones read whole too). Only without a helper.
  void OpenAhead(std::int32_t file, std::int32_t count);
  /// Forgets everything read past the current file, so the next files are read as they are
  /// now (after a file was deleted, for instance).
  void Restart();

 private:
  /// One piece of a file as read or mapped: its first piece carries the open file or the
  /// opening failure. A mapped piece is handed out a block at a time.
  struct Piece {
    std::int32_t file = 0;
    std::shared_ptr<platform::ReadableFile> handle;
    std::unique_ptr<char[]> buffer;  ///< room for room bytes, filled up to used
    std::size_t room = 0;
    std::unique_ptr<platform::MappedBytes> mapping;
    std::size_t used = 0;   ///< bytes of the piece
    std::size_t given = 0;  ///< bytes of it handed out so far
    bool last = false;
    std::optional<platform::SystemError> failure;

    /// The piece's bytes, wherever they are.
    const char* Data() const { return mapping ? mapping->Bytes().data() : buffer.get(); }
  };
  /// A file to be opened.
  struct ToOpen {
    std::int32_t file = 0;
    std::u16string path;
    platform::FoundFile found;  ///< no names when the reader was not told where it was found
    bool ahead = false;         ///< the opener opened it ahead: it is the opener's next
  };
  /// A file opened ahead of its reading, or the failure to open it.
  struct Opened {
    std::int32_t file = 0;
    std::shared_ptr<platform::ReadableFile> handle;
    std::optional<platform::SystemError> failure;
  };
  /// The file the reading side works on.
  struct Reading {
    std::int32_t file = 0;
    std::shared_ptr<platform::ReadableFile> handle;
    std::int64_t offset = 0;  ///< where the next piece starts
    std::int64_t left = 0;
    bool mapping = false;  ///< large enough to be mapped; read at offsets once a piece was
  };

  /// The helper thread's loop.
  void Run();
  /// Reads one more piece when the limits allow; false when there is nothing to do now. Called
  /// with the lock held; releases it while the system is asked.
  bool Step(std::unique_lock<std::mutex>& lock);
  /// Reads the next piece of the reading side's file, without the lock.
  Piece ReadPiece(Reading& reading, std::unique_ptr<char[]> buffer);
  /// Maps the next piece of the reading side's file; false when it must be read instead.
  bool MapPiece(Reading& reading, Piece& piece) const;
  /// Bytes of the next piece of the reading side's file.
  std::size_t PieceSize(const Reading& reading) const;
  /// Ends the current file after a mapped block whose file was cut short under it; with the
  /// failure when the bytes could not be read.
  bool MappingCut(std::optional<platform::SystemError>& failure);
  /// Gives a consumed block buffer back for reuse; with the lock held.
  void Recycle(Piece& piece);
  /// Makes the next queued piece of the current file the consumer's; with the lock held.
  void TakePiece(std::unique_lock<std::mutex>& lock);
  /// Waits until a piece is queued; with the lock held.
  void WaitForPiece(std::unique_lock<std::mutex>& lock);
  /// Asks for the paths of the files up to the limit ahead of the current one.
  void Request();
  /// Drops the first queued piece; with the lock held.
  void DropFront();

  platform::System& system_;
  const std::int32_t fileCount_;
  const std::function<std::u16string(std::int32_t)> pathOf_;
  const ReadLimits limits_;
  const Locate locate_;
  /// Opens the files, on the helper's thread (or the consumer's when there is no helper).
  std::unique_ptr<platform::FoundFileOpener> opener_;

  std::mutex mutex_;
  std::condition_variable helperWakes_;
  std::condition_variable consumerWakes_;
  bool stop_ = false;
  bool helperWaiting_ = false;
  bool consumerWaiting_ = false;
  std::uint64_t generation_ = 0;   ///< raised by Restart
  std::int32_t restartAfter_ = 0;  ///< the current file at the last Restart
  std::deque<ToOpen> requests_;    ///< files to read, in order
  std::int32_t aheadFrom_ = 0;     ///< the files from here up to aheadTo_ the opener opened ahead
  std::int32_t aheadTo_ = 0;
  std::deque<Opened> opened_;    ///< opened and not yet read, in order
  std::deque<Piece> pieces_;     ///< read and not yet consumed, in order
  std::size_t bytesQueued_ = 0;  ///< block bytes held in pieces_
  /// Whole-block buffers for reuse. They are never cleared: a block's bytes are only ever read
  /// after being read into it, and room a small file does not use is never touched.
  std::vector<std::unique_ptr<char[]>> spare_;
  /// Mappings done with, unmapped by the helper so the consumer does not wait for it.
  std::vector<std::unique_ptr<platform::MappedBytes>> retired_;
  Reading reading_;  ///< the reading side's file; file 0 when none

  // The consumer's side.
  std::int32_t current_ = 0;
  std::int32_t requested_ = 0;
  Piece piece_;
  std::shared_ptr<platform::ReadableFile> file_;

  std::thread helper_;
};
