#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/system.h"

namespace platform::posix {

/// An open file descriptor, closed when the last holder lets go of it.
class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  ~Descriptor();
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  /// The descriptor itself.
  int Get() const { return descriptor_; }

 private:
  int descriptor_;
};

/// Maps size bytes of the file from offset on (page aligned) and has the system fill in the
/// pages at once; null when that is not possible or the file is no longer that long. Reading
/// the bytes never ends the program: a part the file lost meanwhile reads as zeros and is
/// reported by Intact.
std::unique_ptr<MappedBytes> MapFilePart(std::shared_ptr<const Descriptor> file,
                                         std::int64_t offset, std::size_t size);

}  // namespace platform::posix
