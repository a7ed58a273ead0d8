#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"

/// Reads a whole file as bytes (one code page character each) into content, reusing its storage;
/// a file too large for memory is a failure.
std::optional<platform::SystemError> ReadWholeFile(platform::System& system,
                                                   const std::u16string& path,
                                                   std::string& content);

/// Appends one line of text in the system's code page, followed by CR LF, whole or not at all,
/// never into protectedFile; returns the failure.
std::optional<platform::SystemError> AppendLine(
    platform::System& system, const std::u16string& path, std::u16string_view line,
    std::optional<platform::FileIdentity> protectedFile);

/// Reads a text file in the code page line by line. A line ends at CR, CR LF or LF; the last
/// line needs no line end, and a file ending in a line end passes no extra empty line.
class LineReader {
 public:
  /// A reader that opens files through system.
  explicit LineReader(platform::System& system) : system_(system) {}
  /// Opens the file.
  std::optional<platform::SystemError> Open(const std::u16string& path);
  /// True when no character is left, or when reading failed (see Failure).
  bool AtEnd();
  /// Reads the next line without its line end.
  std::u16string ReadLine();
  /// The reading failure, if one happened.
  const std::optional<platform::SystemError>& Failure() const { return failure_; }
  /// Closes the file; harmless when it is not open.
  void Close() { file_.reset(); }

 private:
  /// Makes sure a byte is buffered; false at the end of the file or after a failure.
  bool Fill();

  platform::System& system_;
  std::unique_ptr<platform::ReadableFile> file_;
  std::string buffer_;
  std::size_t position_ = 0;
  std::optional<platform::SystemError> failure_;
};
