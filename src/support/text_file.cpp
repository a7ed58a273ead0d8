#include "support/text_file.h"

#include <cstdint>
#include <new>
#include <utility>

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
  std::string bytes = platform::LogLineBytes(line, system.TextFiles(), system.CodePage());
  bytes += "\r\n";
  return system.AppendToFile(path, bytes, protectedFile);
}

std::optional<platform::SystemError> LineReader::Open(const std::u16string& path) {
  Close();
  // The encoding is decided for the file as a whole, so it is read whole; a configuration is
  // small.
  std::string content;
  if (auto error = ReadWholeFile(system_, path, content)) return error;
  lines_ = platform::ConfigurationLines(content, system_.TextFiles(), system_.CodePage());
  return std::nullopt;
}

std::u16string LineReader::ReadLine() {
  if (AtEnd()) return {};
  return std::move(lines_[next_++]);
}

void LineReader::Close() {
  lines_.clear();
  next_ = 0;
}
