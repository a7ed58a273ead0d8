#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

/// Reads a whole file as bytes (one code page character each) into content, reusing its storage;
/// a file too large for memory is a failure.
std::optional<platform::SystemError> ReadWholeFile(platform::System& system,
                                                   const std::u16string& path,
                                                   std::string& content);

/// Appends one line of text as the system writes its log (UTF-8 or the code page), followed by
/// CR LF, whole or not at all, never into protectedFile; returns the failure.
std::optional<platform::SystemError> AppendLine(
    platform::System& system, const std::u16string& path, std::u16string_view line,
    std::optional<platform::FileIdentity> protectedFile);

/// Reads a configuration file whole, then hands out its lines one by one, decoded and split as
/// the system reads text of its own (see platform::ConfigurationLines).
class LineReader {
 public:
  /// A reader that opens files through system.
  explicit LineReader(platform::System& system) : system_(system) {}
  /// Reads the whole file; a failure leaves no line to read.
  std::optional<platform::SystemError> Open(const std::u16string& path);
  /// True when no line is left.
  bool AtEnd() const { return next_ >= lines_.size(); }
  /// The next line without its line end; empty when none is left.
  std::u16string ReadLine();
  /// Drops the lines not read; harmless when nothing is open.
  void Close();

 private:
  platform::System& system_;
  std::vector<std::u16string> lines_;
  std::size_t next_ = 0;
};
