#include <unistd.h>

#include <string>

#include "platform/native_path_posix.h"
#include "platform/system_posix.h"

namespace platform::posix {

std::u16string ExecutablePath() {
  std::string buffer(4096, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return FromNativePath(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform::posix
