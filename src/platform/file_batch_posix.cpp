#include "platform/file_batch_posix.h"

#ifdef FUNDORT_HAVE_IO_URING
#include <liburing.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>
#endif

namespace platform::posix {

#ifdef FUNDORT_HAVE_IO_URING
namespace {

/// Entries of the ring: the largest batch handed to it at once.
constexpr unsigned kRingEntries = 64;

class RingBatch : public FileBatch {
 public:
  RingBatch() = default;
  ~RingBatch() override {
    if (ready_) ::io_uring_queue_exit(&ring_);
  }
  RingBatch(const RingBatch&) = delete;
  RingBatch& operator=(const RingBatch&) = delete;

  bool Start() {
    ready_ = ::io_uring_queue_init(kRingEntries, &ring_, 0) == 0;
    return ready_;
  }

  void Open(std::span<const Opening> files, std::span<long> results) override {
    Run(files.size(), results, [&](io_uring_sqe* entry, std::size_t index) {
      ::io_uring_prep_openat(entry, files[index].Folder, files[index].Name, files[index].Flags, 0);
    });
  }

  void Read(std::span<const Reading> files, std::span<long> results) override {
    Run(files.size(), results, [&](io_uring_sqe* entry, std::size_t index) {
      ::io_uring_prep_read(entry, files[index].Descriptor, files[index].Buffer,
                           static_cast<unsigned>(files[index].Size), 0);
    });
  }

  void Close(std::span<const int> descriptors) override {
    std::vector<long> results(descriptors.size());
    Run(descriptors.size(), std::span<long>(results), [&](io_uring_sqe* entry, std::size_t index) {
      ::io_uring_prep_close(entry, descriptors[index]);
    });
    // What the ring could not close is closed here.
    for (std::size_t index = 0; index < descriptors.size(); ++index) {
      if (results[index] == kNotDone) ::close(descriptors[index]);
    }
  }

 private:
  /// Queues count operations by prepare, a ring's worth at a time, and gathers their results
  /// in order. Once the ring fails, what is left is kNotDone.
  template <typename Prepare>
  void Run(std::size_t count, std::span<long> results, const Prepare& prepare) {
    for (std::size_t index = 0; index < count; ++index)
      results[index] = kNotDone;
    for (std::size_t first = 0; first < count && !broken_;) {
      unsigned queued = 0;
      for (; first + queued < count && queued < kRingEntries; ++queued) {
        io_uring_sqe* entry = ::io_uring_get_sqe(&ring_);
        if (entry == nullptr) break;
        prepare(entry, first + queued);
        ::io_uring_sqe_set_data64(entry, first + queued);
      }
      const unsigned taken = Submit(queued);
      for (unsigned done = 0; done < taken; ++done) {
        io_uring_cqe* completion = nullptr;
        int waited = 0;
        do {
          waited = ::io_uring_wait_cqe(&ring_, &completion);
        } while (waited == -EINTR);
        if (waited != 0) {
          broken_ = true;  // completions may still come: the ring is not used again
          return;
        }
        results[static_cast<std::size_t>(::io_uring_cqe_get_data64(completion))] = completion->res;
        ::io_uring_cqe_seen(&ring_, completion);
      }
      first += queued;
    }
  }

  /// Submits the queued operations; how many the kernel took. Operations it did not take leave
  /// the ring unusable.
  unsigned Submit(unsigned queued) {
    unsigned taken = 0;
    while (taken < queued) {
      const int now = ::io_uring_submit(&ring_);
      if (now == -EINTR) continue;
      if (now <= 0) {
        broken_ = true;
        break;
      }
      taken += static_cast<unsigned>(now);
    }
    return taken;
  }

  io_uring ring_{};
  bool ready_ = false;
  bool broken_ = false;
};

}  // namespace

std::unique_ptr<FileBatch> FileBatch::Create() {
#if defined(__SANITIZE_THREAD__)
  // ThreadSanitizer cannot see the descriptors the kernel opens and closes for the ring, and
  // takes their numbers used again by another thread for races: checked, files go one by one.
  return nullptr;
#else
  auto batch = std::make_unique<RingBatch>();
  if (!batch->Start()) return nullptr;
  return batch;
#endif
}

#else

std::unique_ptr<FileBatch> FileBatch::Create() {
  return nullptr;
}

#endif

}  // namespace platform::posix
