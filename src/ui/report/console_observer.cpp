#include "console_observer.h"

#include <cstdio>
#include <string>

#include "report_output.h"

namespace {

std::string Duration(double seconds) {
  const long total = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return text;
}

}  // namespace

std::string ProgressLine(std::size_t filesDone, std::size_t files, double searched,
                         double totalBytes, std::int64_t pages, double seconds) {
  char megabytes[64];
  std::snprintf(megabytes, sizeof megabytes, "%.0f/%.0f MB", searched * totalBytes / 1e6,
                totalBytes / 1e6);
  std::string line = std::to_string(filesDone) + "/" + std::to_string(files) + " Dateien, " +
                     megabytes + ", " + std::to_string(pages) + " Seiten erkannt, " +
                     Duration(seconds);
  const double share = files == 0 ? 0 : static_cast<double>(filesDone) / static_cast<double>(files);
  if (share > 0.01 && share < 1) line += ", noch etwa " + Duration(seconds / share - seconds);
  return line;
}

void ConsoleObserver::FilesCounted(std::size_t files, double totalBytes) {
  files_ = files;
  totalBytes_ = totalBytes;
}

void ConsoleObserver::SearchAdvanced(std::size_t filesDone, std::int64_t pagesRecognised) {
  if (!progress_) return;
  // A terminal redrawn a few times a second is enough; more would slow a fast run.
  const auto now = std::chrono::steady_clock::now();
  if (filesDone < files_ && now - shown_ < std::chrono::milliseconds(200)) return;
  shown_ = now;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  const std::string line =
      ProgressLine(filesDone, files_, searched_, totalBytes_, pagesRecognised, seconds);
  std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
  std::fflush(stderr);
  lineShown_ = true;
}

void ConsoleObserver::ClearProgress() {
  if (!lineShown_) return;
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
  lineShown_ = false;
}

void ConsoleObserver::ErrorReported(std::u16string_view text, std::int32_t configurationLine) {
  ClearProgress();  // a message never runs into the progress line
  errors_.push_back(ReportedError{std::u16string(text), configurationLine});
  std::string line = TextField(config_);
  if (configurationLine > 0) line += ":" + std::to_string(configurationLine);
  line += ": " + TextField(text) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}
