#include "search/read_ahead.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace {

platform::SystemError OutOfMemory() {
  return platform::SystemError{platform::ErrorKind::Other, u"Nicht genügend Speicher"};
}

}  // namespace

ReadAhead::ReadAhead(platform::System& system, std::int32_t fileCount,
                     std::function<std::u16string(std::int32_t)> pathOf, ReadLimits limits,
                     Locate locate)
    : system_(system),
      fileCount_(fileCount),
      pathOf_(std::move(pathOf)),
      limits_(limits),
      locate_(std::move(locate)),
      opener_(system.OpenFoundFiles()) {
  if (limits_.Thread != ReadThread::Helper || fileCount_ <= 0) return;
  try {
    helper_ = std::thread(&ReadAhead::Run, this);
  } catch (const std::system_error&) {
    // Without a thread every block is read when it is asked for; the results are the same.
  }
}

ReadAhead::~ReadAhead() {
  if (!helper_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  helperWakes_.notify_one();
  helper_.join();
}

void ReadAhead::Run() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    if (!retired_.empty()) {
      auto retired = std::move(retired_);
      retired_.clear();
      lock.unlock();
      retired.clear();
      lock.lock();
      continue;
    }
    if (Step(lock)) continue;
    helperWaiting_ = true;
    helperWakes_.wait(lock);
    helperWaiting_ = false;
  }
}

bool ReadAhead::Step(std::unique_lock<std::mutex>& lock) {
  // The consumer has moved past the file being read: the rest of it is of no use.
  if (reading_.file != 0 && reading_.file < current_) reading_ = Reading{};
  while (!opened_.empty() && opened_.front().file < current_)
    opened_.pop_front();
  const std::uint64_t generation = generation_;
  Piece piece;

  // The files asked for are opened ahead, each with a hint that it will be read, so that on a
  // cold disk the system fetches several at once while the earlier ones are read. Without a
  // helper a file is read right after its opening: the hint would only cost a call.
  if (!requests_.empty()) {
    ToOpen request = std::move(requests_.front());
    requests_.pop_front();
    const std::int32_t file = request.file;
    lock.unlock();
    Opened opened{file, nullptr, std::nullopt};
    try {
      opened.handle = request.ahead ? opener_->OpenNext(opened.failure)
                                    : opener_->Open(request.found, request.path, opened.failure);
      if (opened.handle != nullptr && limits_.Thread == ReadThread::Helper)
        opened.handle->WillRead();
    } catch (const std::bad_alloc&) {
      opened.failure = OutOfMemory();
    }
    lock.lock();
    if (stop_ || (generation_ != generation && file > restartAfter_)) return true;
    opened_.push_back(std::move(opened));
    return true;
  }

  if (reading_.file == 0) {
    if (opened_.empty()) return false;
    auto [file, handle, failure] = std::move(opened_.front());
    opened_.pop_front();
    const std::int64_t length = handle != nullptr ? std::max<std::int64_t>(handle->Length(), 0) : 0;
    if (handle != nullptr && length > 0) {
      // The blocks follow in the next steps; the first of them carries the open file.
      const bool mapping = limits_.MapBytes > 0 && length >= limits_.MapFrom;
      reading_ = Reading{file, std::move(handle), 0, length, mapping};
      return true;
    }
    piece.file = file;
    piece.handle = std::move(handle);
    piece.last = true;
    piece.failure = std::move(failure);
    if (piece.handle == nullptr && !piece.failure) piece.failure = OutOfMemory();
  } else {
    if (bytesQueued_ >= limits_.BytesAhead && !pieces_.empty()) return false;
    Reading reading = std::move(reading_);
    reading_ = Reading{};
    std::unique_ptr<char[]> buffer;
    // A whole block goes into a block buffer kept for reuse; the last, shorter piece of a file
    // gets a buffer of its own size, so the small files read one after the other lie close
    // together in memory.
    if (!reading.mapping && PieceSize(reading) == limits_.BlockBytes && !spare_.empty()) {
      buffer = std::move(spare_.back());
      spare_.pop_back();
    }
    lock.unlock();
    piece = ReadPiece(reading, std::move(buffer));
    lock.lock();
    if (stop_ || (generation_ != generation && reading.file > restartAfter_)) return true;
    if (!piece.last) reading_ = std::move(reading);
  }

  bytesQueued_ += piece.used;
  pieces_.push_back(std::move(piece));
  if (consumerWaiting_) consumerWakes_.notify_one();
  return true;
}

std::size_t ReadAhead::PieceSize(const Reading& reading) const {
  const std::size_t block = std::max<std::size_t>(limits_.BlockBytes, 1);
  // A mapped piece is whole blocks, so the blocks handed out are the same as when read.
  const std::size_t piece =
      reading.mapping ? std::max<std::size_t>(limits_.MapBytes / block, 1) * block : block;
  return static_cast<std::size_t>(
      std::min<std::int64_t>(reading.left, static_cast<std::int64_t>(piece)));
}

bool ReadAhead::MapPiece(Reading& reading, Piece& piece) const {
  const std::size_t size = PieceSize(reading);
  std::unique_ptr<platform::MappedBytes> mapping;
  try {
    mapping = reading.handle->Map(reading.offset, size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (mapping == nullptr || mapping->Bytes().size() != size) return false;
  piece.mapping = std::move(mapping);
  piece.used = size;
  reading.offset += static_cast<std::int64_t>(size);
  reading.left -= static_cast<std::int64_t>(size);
  piece.last = reading.left <= 0;
  return true;
}

ReadAhead::Piece ReadAhead::ReadPiece(Reading& reading, std::unique_ptr<char[]> buffer) {
  Piece piece;
  piece.file = reading.file;
  piece.handle = reading.handle;
  if (reading.mapping && MapPiece(reading, piece)) return piece;
  // Where mapping was tried, the file is read at offsets: earlier pieces may have been mapped.
  const std::size_t block = std::max<std::size_t>(limits_.BlockBytes, 1);
  const auto size = static_cast<std::size_t>(
      std::min<std::int64_t>(reading.left, static_cast<std::int64_t>(block)));
  try {
    // Not cleared: only the bytes read into it are ever looked at.
    if (buffer == nullptr) buffer.reset(new char[size]);
  } catch (const std::bad_alloc&) {
    piece.last = true;
    piece.failure = OutOfMemory();
    return piece;
  }
  std::size_t used = 0;
  while (used < size) {
    std::size_t count = 0;
    if (auto error = reading.mapping
                         ? reading.handle->ReadAt(reading.offset + static_cast<std::int64_t>(used),
                                                  buffer.get() + used, size - used, count)
                         : reading.handle->Read(buffer.get() + used, size - used, count)) {
      piece.failure = std::move(error);
      break;
    }
    // A file that shrank since it was opened ends here.
    if (count == 0) break;
    used += count;
  }
  reading.offset += static_cast<std::int64_t>(used);
  reading.left -= static_cast<std::int64_t>(used);
  piece.buffer = std::move(buffer);
  piece.room = size;
  piece.used = used;
  // A file that grew since it was opened is read up to its length at the opening, so a file
  // that is appended to all the time cannot hold the search.
  piece.last = piece.failure.has_value() || used < size || reading.left <= 0;
  return piece;
}

void ReadAhead::Recycle(Piece& piece) {
  if (piece.mapping != nullptr && helper_.joinable()) {
    try {
      // The helper unmaps them when it next wakes, at the latest once half the bytes ahead are
      // used up; waking it for each would cost more than the mapping saves.
      retired_.push_back(std::move(piece.mapping));
    } catch (const std::bad_alloc&) {
      // Unmapped right here instead.
    }
  } else if (piece.buffer != nullptr && piece.room == limits_.BlockBytes &&
             spare_.size() <= limits_.BytesAhead / std::max<std::size_t>(limits_.BlockBytes, 1)) {
    spare_.push_back(std::move(piece.buffer));
  }
  piece = Piece{};
}

void ReadAhead::DropFront() {
  bytesQueued_ -= pieces_.front().used;
  Recycle(pieces_.front());
  pieces_.pop_front();
}

void ReadAhead::WaitForPiece(std::unique_lock<std::mutex>& lock) {
  for (;;) {
    while (!pieces_.empty() && pieces_.front().file < current_)
      DropFront();
    if (!pieces_.empty()) return;
    if (!helper_.joinable()) {
      Step(lock);
      continue;
    }
    // Whatever the helper waits for, the consumer waiting means it must go on.
    if (helperWaiting_) helperWakes_.notify_one();
    consumerWaiting_ = true;
    consumerWakes_.wait(lock);
    consumerWaiting_ = false;
  }
}

void ReadAhead::Request() {
  // Paths are asked for in batches of half the files ahead, so the helper is woken once per
  // batch rather than once per file.
  const std::int32_t ahead = std::max(limits_.FilesAhead, 0);
  if (requested_ >= current_ && requested_ - current_ >= ahead / 2 + (ahead % 2)) return;
  const std::int32_t last = std::min(fileCount_, current_ + ahead);
  std::vector<ToOpen> batch;
  for (std::int32_t file = std::max(requested_, current_ - 1) + 1; file <= last; ++file) {
    if (file == aheadFrom_ && file < aheadTo_) {
      // The opener has it, and where it was found.
      ++aheadFrom_;
      batch.push_back(ToOpen{file, {}, {}, true});
      continue;
    }
    aheadFrom_ = aheadTo_ = 0;
    ToOpen request{file, {}, locate_ ? locate_(file) : platform::FoundFile{}, false};
    // Composing a path costs more than opening a small file; most openers need none.
    if (opener_->NeedsPath() || request.found.Names.empty()) request.path = pathOf_(file);
    batch.push_back(std::move(request));
  }
  if (batch.empty()) return;
  requested_ = batch.back().file;
  const std::lock_guard lock(mutex_);
  for (auto& request : batch)
    requests_.push_back(std::move(request));
  if (helperWaiting_) helperWakes_.notify_one();
}

void ReadAhead::Start(std::int32_t file) {
  {
    const std::lock_guard lock(mutex_);
    Recycle(piece_);
    current_ = file;
  }
  file_.reset();
  Request();
  std::unique_lock lock(mutex_);
  TakePiece(lock);
  file_ = piece_.handle;
}

void ReadAhead::OpenAhead(std::int32_t file, std::int32_t count) {
  // Files at most this long are read whole when opened ahead; the others wait open.
  constexpr std::size_t kReadWholeUpTo = std::size_t{128} << 10;
  if (helper_.joinable() || !locate_ || count < 2) return;
  std::vector<platform::FoundFile> files;
  files.reserve(static_cast<std::size_t>(count));
  for (std::int32_t number = file; number < file + count && number <= fileCount_; ++number)
    files.push_back(locate_(number));
  const auto taken = static_cast<std::int32_t>(files.size());
  if (opener_->OpenAhead(std::move(files), std::min(kReadWholeUpTo, limits_.BlockBytes))) {
    aheadFrom_ = file;
    aheadTo_ = file + taken;
  }
}

std::int64_t ReadAhead::Length() {
  if (file_ != nullptr) return file_->Length();
  // Rare: only a file that could not be opened is asked for again. An opener of its own, so
  // the helper's is never shared.
  const std::optional<std::int64_t> listed = system_.OpenFoundFiles()->ListedSize(
      locate_ ? locate_(current_) : platform::FoundFile{}, pathOf_(current_));
  return listed.value_or(-1);
}

void ReadAhead::TakePiece(std::unique_lock<std::mutex>& lock) {
  Recycle(piece_);
  WaitForPiece(lock);
  piece_ = std::move(pieces_.front());
  bytesQueued_ -= piece_.used;
  pieces_.pop_front();
  if (helperWaiting_ && bytesQueued_ <= limits_.BytesAhead / 2) helperWakes_.notify_one();
}

bool ReadAhead::Next(std::string_view& block, std::optional<platform::SystemError>& failure) {
  failure.reset();
  block = {};
  for (;;) {
    if (piece_.mapping != nullptr && piece_.given > 0 && MappingCut(failure)) return false;
    if (piece_.given < piece_.used) {
      const std::size_t size =
          std::min(piece_.used - piece_.given, std::max<std::size_t>(limits_.BlockBytes, 1));
      block = std::string_view(piece_.Data() + piece_.given, size);
      piece_.given += size;
      return true;
    }
    if (piece_.last || piece_.file != current_) {
      failure = piece_.failure;
      return false;
    }
    std::unique_lock lock(mutex_);
    TakePiece(lock);
  }
}

bool ReadAhead::MappingCut(std::optional<platform::SystemError>& failure) {
  // Once a piece is read to its end, its file's length is asked too: the file may now end
  // within the piece's last page, which reads as zeros without a fault.
  const std::size_t intact =
      piece_.mapping->Intact(failure, piece_.given == piece_.used ? platform::MappedCheck::Length
                                                                  : platform::MappedCheck::Faults);
  if (intact >= piece_.used && !failure) return false;
  // The file lost bytes under its mapping while they were searched: it ends at its new end, as
  // a read would have ended there, or counts as unreadable when they could not be read.
  piece_.last = true;
  if (!failure && intact > piece_.given) {
    piece_.used = intact;
    return false;
  }
  piece_.used = piece_.given;
  piece_.failure = failure;
  return true;
}

void ReadAhead::Restart() {
  {
    const std::lock_guard lock(mutex_);
    ++generation_;
    restartAfter_ = current_;
    while (!pieces_.empty() && pieces_.back().file > current_) {
      bytesQueued_ -= pieces_.back().used;
      Recycle(pieces_.back());
      pieces_.pop_back();
    }
    std::erase_if(requests_, [this](const ToOpen& request) { return request.file > current_; });
    std::erase_if(opened_, [this](const Opened& opened) { return opened.file > current_; });
    if (reading_.file > current_) reading_ = Reading{};
    requested_ = std::min(requested_, current_);
  }
  aheadFrom_ = aheadTo_ = 0;  // what the opener holds is of before the restart
  helperWakes_.notify_one();
}
