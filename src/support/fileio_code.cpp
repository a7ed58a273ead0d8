#include "support/fileio_code.h"

#include "platform/code_page.h"

std::optional<platform::SystemError> ReadWholeFile(const std::u16string& path,
                                                   std::string& content) {
  return platform::ReadWholeFile(path, content);
}

void AppendLine(const std::u16string& path, std::u16string_view line) {
  std::string bytes = platform::EncodeCodePage(line);
  bytes += "\r\n";
  platform::AppendToFile(path, bytes);
}

std::optional<platform::SystemError> LineReader::Open(const std::u16string& path) {
  buffer_.clear();
  position_ = 0;
  failure_.reset();
  return file_.Open(path);
}

bool LineReader::Fill() {
  if (position_ < buffer_.size()) return true;
  if (failure_ || !file_.IsOpen()) return false;
  buffer_.resize(64 * 1024);
  std::size_t count = 0;
  if (auto error = file_.Read(buffer_.data(), buffer_.size(), count)) {
    failure_ = std::move(error);
    count = 0;
  }
  buffer_.resize(count);
  position_ = 0;
  return count > 0;
}

bool LineReader::AtEnd() { return !Fill(); }

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
  return platform::DecodeCodePage(bytes);
}
