#include "platform/mapped_bytes_posix.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>

#include "platform/errno_error_posix.h"

namespace platform::posix {
namespace {

// Reading a mapped page that the file no longer covers raises SIGBUS. Every mapping made here is
// registered, and the handler turns such a fault within one of them into zeros from the faulting
// page to the mapping's end, noting where; other faults go on to the handler that was there.
struct Guard {
  std::atomic<std::uintptr_t> begin{0};  ///< first address; set before end, cleared after it
  std::atomic<std::uintptr_t> end{0};    ///< past the last address; 0 while not in use
  std::atomic<std::uintptr_t> cutAt{0};  ///< first page replaced by zeros; 0 when none
};

constexpr std::size_t kGuards = 128;
std::array<Guard, kGuards> guards;
struct sigaction previousHandler {};
std::uintptr_t pageSize = 4096;

void PassOn(int signal, siginfo_t* info, void* context) {
  if ((previousHandler.sa_flags & SA_SIGINFO) != 0 && previousHandler.sa_sigaction != nullptr) {
    previousHandler.sa_sigaction(signal, info, context);
    return;
  }
  if (previousHandler.sa_handler != SIG_DFL && previousHandler.sa_handler != SIG_IGN) {
    previousHandler.sa_handler(signal);
    return;
  }
  // Sent by another program (kill), not raised by a faulting access.
  const bool sent = info->si_code <= 0;
  if (sent && previousHandler.sa_handler == SIG_IGN) return;
  // The default action: a faulting access repeats once this returns and ends the program; a
  // sent signal is sent again, and arrives once this returns.
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(SIGBUS, &standard, nullptr);
  if (sent) raise(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  // Only a faulting access has an address; a signal sent by kill is passed on at once.
  for (Guard& guard : guards) {
    if (info->si_code <= 0) break;
    const std::uintptr_t begin = guard.begin.load(std::memory_order_acquire);
    const std::uintptr_t end = guard.end.load(std::memory_order_acquire);
    if (end == 0 || address < begin || address >= end) continue;
    // The guard must not have changed hands between the two loads.
    if (guard.begin.load(std::memory_order_acquire) != begin) continue;
    const std::uintptr_t page = address & ~(pageSize - 1);
    void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (zeros == MAP_FAILED) break;
    std::uintptr_t none = 0;
    guard.cutAt.compare_exchange_strong(none, page, std::memory_order_acq_rel);
    errno = savedErrno;
    return;
  }
  errno = savedErrno;
  PassOn(signal, info, context);
}

bool InstallHandler() {
  pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  struct sigaction handler {};
  handler.sa_sigaction = OnBusError;
  handler.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&handler.sa_mask);
  return sigaction(SIGBUS, &handler, &previousHandler) == 0;
}

bool HandlerInstalled() {
  static const bool installed = InstallHandler();
  return installed;
}

Guard* Claim(std::uintptr_t begin, std::uintptr_t end) {
  for (Guard& guard : guards) {
    std::uintptr_t free = 0;
    if (!guard.begin.compare_exchange_strong(free, begin, std::memory_order_acq_rel)) continue;
    guard.cutAt.store(0, std::memory_order_relaxed);
    guard.end.store(end, std::memory_order_release);
    return &guard;
  }
  return nullptr;
}

void Release(Guard& guard) {
  guard.end.store(0, std::memory_order_release);
  guard.begin.store(0, std::memory_order_release);
}

class PosixMappedBytes final : public MappedBytes {
 public:
  PosixMappedBytes(std::shared_ptr<const Descriptor> file, std::int64_t offset, void* base,
                   std::size_t length, std::size_t size, Guard& guard)
      : file_(std::move(file)),
        offset_(offset),
        base_(base),
        length_(length),
        size_(size),
        guard_(guard) {}
  ~PosixMappedBytes() override {
    Release(guard_);
    munmap(base_, length_);
  }
  PosixMappedBytes(const PosixMappedBytes&) = delete;
  PosixMappedBytes& operator=(const PosixMappedBytes&) = delete;

  std::string_view Bytes() const override { return {static_cast<const char*>(base_), size_}; }

  std::size_t Intact(std::optional<SystemError>& failure, MappedCheck check) const override {
    failure.reset();
    const std::uintptr_t cutAt = guard_.cutAt.load(std::memory_order_acquire);
    if (cutAt == 0) {
      // A file that now ends within a page still mapped reads as zeros past its end without a
      // fault; only its length tells.
      struct stat info {};
      if (check == MappedCheck::Faults || fstat(file_->Get(), &info) != 0 ||
          info.st_size >= offset_ + static_cast<std::int64_t>(size_)) {
        return size_;
      }
      return static_cast<std::size_t>(std::max<std::int64_t>(info.st_size - offset_, 0));
    }
    const auto lost = static_cast<std::int64_t>(cutAt - reinterpret_cast<std::uintptr_t>(base_));
    // Cut short: the file now ends before the page that could not be read. When it still
    // reaches over that page, the page was not lost but could not be read.
    struct stat info {};
    if (fstat(file_->Get(), &info) != 0 || info.st_size > offset_ + lost) {
      failure = ErrorFromErrno(EIO);
      return static_cast<std::size_t>(lost);
    }
    return static_cast<std::size_t>(std::max<std::int64_t>(info.st_size - offset_, 0));
  }

 private:
  std::shared_ptr<const Descriptor> file_;
  std::int64_t offset_;
  void* base_;
  std::size_t length_;
  std::size_t size_;
  Guard& guard_;
};

}  // namespace

Descriptor::~Descriptor() {
  close(descriptor_);
}

std::unique_ptr<MappedBytes> MapFilePart(std::shared_ptr<const Descriptor> file,
                                         std::int64_t offset, std::size_t size) {
  if (size == 0 || offset < 0 || !HandlerInstalled()) return nullptr;
  if (static_cast<std::uintptr_t>(offset) % pageSize != 0) return nullptr;
  const std::size_t length = (size + pageSize - 1) & ~(pageSize - 1);
  int flags = MAP_SHARED;
#ifdef MAP_POPULATE
  // The pages are filled in now, on the calling thread, not one fault at a time by the reader.
  flags |= MAP_POPULATE;
#endif
  void* base = mmap(nullptr, length, PROT_READ, flags, file->Get(), static_cast<off_t>(offset));
  if (base == MAP_FAILED) return nullptr;
  const auto begin = reinterpret_cast<std::uintptr_t>(base);
  Guard* guard = Claim(begin, begin + length);
  struct stat info {};
  // A file that no longer reaches over the whole part is read instead, which ends exactly where
  // the file now ends.
  if (guard == nullptr || fstat(file->Get(), &info) != 0 ||
      info.st_size < offset + static_cast<std::int64_t>(size)) {
    if (guard != nullptr) Release(*guard);
    munmap(base, length);
    return nullptr;
  }
  return std::make_unique<PosixMappedBytes>(std::move(file), offset, base, length, size, *guard);
}

}  // namespace platform::posix
