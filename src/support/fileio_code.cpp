#include "support/fileio_code.h"

#include <cstdint>
#include <new>

namespace {

platform::SystemError OutOfMemory() {
  return platform::SystemError{platform::ErrorKind::Other, u"Nicht genügend Speicher"};
}

}  // namespace

std::optional<platform::SystemError> ReadWholeFile(platform::System& system,
                                                   const std::u16string& path,
                                                   std::string& content) {
  content.clear();
  std::optional<platform::SystemError> failure;
  const std::unique_ptr<platform::ReadableFile> file = system.OpenForReading(path, failure);
  if (file == nullptr) return failure;
  const std::int64_t length = file->Length();
  if (length < 0 || static_cast<std::uint64_t>(length) > content.max_size()) return OutOfMemory();
  try {
    content.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    content.clear();
    content.shrink_to_fit();
    return OutOfMemory();
  }
  // The length taken at the start is what is read; a file that shrank meanwhile ends early.
  std::size_t used = 0;
  while (used < content.size()) {
    std::size_t count = 0;
    if (auto error = file->Read(content.data() + used, content.size() - used, count)) {
      content.clear();
      return error;
    }
    if (count == 0) break;
    used += count;
  }
  content.resize(used);
  return std::nullopt;
}

std::optional<platform::SystemError> AppendLine(
    platform::System& system, const std::u16string& path, std::u16string_view line,
    std::optional<platform::FileIdentity> protectedFile) {
  std::string bytes = system.CodePage().Encode(line);
  bytes += "\r\n";
  return system.AppendToFile(path, bytes, protectedFile);
}

std::optional<platform::SystemError> LineReader::Open(const std::u16string& path) {
  buffer_.clear();
  position_ = 0;
  failure_.reset();
  std::optional<platform::SystemError> failure;
  file_ = system_.OpenForReading(path, failure);
  return failure;
}

bool LineReader::Fill() {
  if (position_ < buffer_.size()) return true;
  if (failure_ || file_ == nullptr) return false;
  buffer_.resize(64 * 1024);
  std::size_t count = 0;
  if (auto error = file_->Read(buffer_.data(), buffer_.size(), count)) {
    failure_ = std::move(error);
    count = 0;
  }
  buffer_.resize(count);
  position_ = 0;
  return count > 0;
}

bool LineReader::AtEnd() {
  return !Fill();
}

std::u16string LineReader::ReadLine() {
  std::string bytes;
  while (Fill()) {
    const char character = buffer_[position_++];
    if (character == '\n') break;
    if (character == '\r') {
      if (Fill() && buffer_[position_] == '\n') ++position_;
      break;
    }
    bytes += character;
  }
  return system_.CodePage().Decode(bytes);
}
