#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>

/// A sequence that one thread appends to while other threads read what was added before:
/// nothing added ever moves, so a reader needs no lock. The elements live in chunks that double
/// in size (2^FirstBits elements first), so a million of them take a dozen allocations and no
/// copying. A run of elements added at once lies contiguous in one chunk.
///
/// A reader may look at an element only once it knows the element was added: through Size(),
/// or through anything the adding thread published after adding it.
template <typename T, unsigned FirstBits>
class GrowingArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  GrowingArray() = default;
  ~GrowingArray() { Free(); }
  GrowingArray(GrowingArray&& other) noexcept { Take(other); }
  GrowingArray& operator=(GrowingArray&& other) noexcept {
    if (this != &other) {
      Free();
      Take(other);
    }
    return *this;
  }
  GrowingArray(const GrowingArray&) = delete;
  GrowingArray& operator=(const GrowingArray&) = delete;

  /// The positions used so far: every element added lies below.
  std::size_t Size() const { return size_.load(std::memory_order_acquire); }

  /// Adds count elements one after the other in one chunk; the position of the first. Positions
  /// at a chunk's end that cannot take the whole run are passed over.
  std::size_t Add(const T* values, std::size_t count) {
    std::size_t at = size_.load(std::memory_order_relaxed);
    auto [chunk, offset] = Place(at);
    while (count > ChunkLength(chunk) - offset) {
      at += ChunkLength(chunk) - offset;
      ++chunk;
      offset = 0;
    }
    if (chunks_[chunk] == nullptr)
      chunks_[chunk] = std::allocator<T>().allocate(ChunkLength(chunk));
    std::uninitialized_copy_n(values, count, chunks_[chunk] + offset);
    size_.store(at + count, std::memory_order_release);
    return at;
  }
  std::size_t Add(const T& value) { return Add(&value, 1); }

  /// The element at position, and those added with it in one run after it.
  const T* At(std::size_t position) const {
    const auto [chunk, offset] = Place(position);
    return chunks_[chunk] + offset;
  }
  T* At(std::size_t position) {
    const auto [chunk, offset] = Place(position);
    return chunks_[chunk] + offset;
  }

 private:
  static constexpr std::size_t kChunks = std::numeric_limits<std::size_t>::digits - FirstBits;

  /// The chunk holding position and the position's place in it.
  static std::pair<std::size_t, std::size_t> Place(std::size_t position) {
    const std::size_t shifted = position + (std::size_t{1} << FirstBits);
    const auto top = static_cast<std::size_t>(std::bit_width(shifted) - 1);
    return {top - FirstBits, shifted - (std::size_t{1} << top)};
  }
  static std::size_t ChunkLength(std::size_t chunk) {
    return std::size_t{1} << (chunk + FirstBits);
  }

  void Free() {
    for (std::size_t chunk = 0; chunk < kChunks; ++chunk) {
      if (chunks_[chunk] != nullptr)
        std::allocator<T>().deallocate(chunks_[chunk], ChunkLength(chunk));
      chunks_[chunk] = nullptr;
    }
    size_.store(0, std::memory_order_relaxed);
  }
  void Take(GrowingArray& other) {
    chunks_ = other.chunks_;
    other.chunks_ = {};
    size_.store(other.size_.load(std::memory_order_relaxed), std::memory_order_relaxed);
    other.size_.store(0, std::memory_order_relaxed);
  }

  std::array<T*, kChunks> chunks_{};
  std::atomic<std::size_t> size_{0};
};
