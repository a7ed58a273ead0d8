#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_error.h"

namespace platform {

/// True for an existing normal file (or a link to one); folders and special files are not.
bool IsRegularFile(const std::u16string& path);

/// True when the file's name marks it hidden (it begins with a dot).
bool IsHiddenFile(const std::u16string& path);

/// True when both paths name the same existing file.
bool IsSameFile(const std::u16string& first, const std::u16string& second);

/// Appends bytes to a file, creating it if missing; opens and closes it, every failure ignored.
void AppendToFile(const std::u16string& path, std::string_view bytes);

/// Reads a whole file into content, reusing its storage; a file too large for memory is a failure.
std::optional<SystemError> ReadWholeFile(const std::u16string& path, std::string& content);

/// Deletes one file.
std::optional<SystemError> DeleteFile(const std::u16string& path);

/// A file open for sequential reading; closed when destroyed.
class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  ~InputFile();

  /// Opens a normal file for reading; a folder, FIFO, socket or device is refused.
  std::optional<SystemError> Open(const std::u16string& path);
  /// Reads up to size bytes; returns the count read (0 at the end), or the failure.
  std::optional<SystemError> Read(char* buffer, std::size_t size, std::size_t& count);
  /// The file's length in bytes when it was opened.
  std::int64_t Length() const { return length_; }
  /// Closes the file; harmless when it is not open.
  void Close();
  bool IsOpen() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
  std::int64_t length_ = 0;
};

}  // namespace platform
