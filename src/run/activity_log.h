#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"

/// The activity log: one line per event, appended as the system writes text (UTF-8 or the code
/// page) with CR LF, each line whole or not at all. Writing never fails towards the caller; the
/// log counts what it lost.
class ActivityLog {
 public:
  /// Gives the path anew for every line; none when nothing is written.
  using PathSource = std::function<std::optional<std::u16string>()>;

  /// A log at the path source gives, never written into the file protectedPath gives (the
  /// configuration: log lines there would turn into commands of the next run).
  ActivityLog(platform::System& system, PathSource path,
              std::function<std::u16string()> protectedPath)
      : system_(system), path_(std::move(path)), protectedPath_(std::move(protectedPath)) {}

  /// Appends one line; line breaks and NULs inside it become "?".
  void Write(std::u16string_view line);

  /// Lines that could not be written.
  std::int32_t LinesLost() const { return linesLost_; }
  /// Why the first of them could not be written.
  const std::u16string& Failure() const { return failure_; }
  /// True when a line was kept out of the protected file.
  bool HitProtectedFile() const { return hitProtectedFile_; }

 private:
  platform::System& system_;
  PathSource path_;
  std::function<std::u16string()> protectedPath_;
  std::int32_t linesLost_ = 0;
  std::u16string failure_;
  bool hitProtectedFile_ = false;
};
