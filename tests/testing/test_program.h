#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/utf8.h"
#include "run/run_options.h"
#include "run/run_session.h"
#include "testing/fake_system.h"
#include "testing/recording_observer.h"

/// Text from a UTF-8 literal (test sources are UTF-8).
inline constexpr auto U16 = platform::FromUtf8;
/// Code page bytes (Windows-1252) of a UTF-8 literal, as configuration and contents are stored.
inline std::string Cp1252(std::string_view utf8) {
  return platform::EncodeCodePage(U16(utf8));
}
/// UTF-8 of a text (raw file-name bytes byte for byte), for readable assertion output.
inline constexpr auto Utf8 = platform::ToUtf8;

/// The text with every occurrence of from replaced by to.
inline std::string Replace(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

/// The lines of a log (split at CR LF) in UTF-8 (a log in the code page under that convention
/// is converted; a raw file-name byte in a UTF-8 one stays); a last line without CR LF is marked.
inline std::vector<std::string> LogLinesOf(const std::string& bytes,
                                           platform::TextConvention convention = {}) {
  std::stringstream stream(bytes);
  std::vector<std::string> lines;
  for (std::string line; std::getline(stream, line, '\n');) {
    const bool terminated = line.ends_with('\r');
    if (terminated) line.pop_back();
    if (convention == platform::TextConvention::CodePage)
      line = Utf8(platform::DecodeCodePage(line));
    lines.push_back(terminated ? line : "<unterminated>" + line);
  }
  return lines;
}

/// A program in /prog of a fake system (C:\prog under Windows rules), its configuration and log
/// beside it.
class TestProgram {
 public:
  explicit TestProgram(std::string baseName = "fundort",
                       FakeSystem::Rules rules = FakeSystem::Rules::Posix)
      : system_(rules), baseName_(std::move(baseName)) {
    system_.SetExecutablePath(Path(baseName_));
  }

  FakeSystem& system() { return system_; }
  /// Full path of a file or folder in the program's folder; "/" in relative separates folders.
  std::u16string Path(std::string_view relative) const {
    const char16_t separator = system_.PathSeparator();
    std::u16string path = (separator == u'\\' ? u"C:\\prog\\" : u"/prog/") + U16(relative);
    std::ranges::replace(path, u'/', separator);
    return path;
  }
  std::u16string ConfigPath() const { return Path(baseName_ + ".cfg"); }
  std::u16string LogPath() const { return Path(baseName_ + ".log"); }

  /// Writes a file in the program's folder with the given raw bytes.
  std::u16string Write(std::string_view relative, std::string bytes) {
    system_.AddFile(Path(relative), std::move(bytes));
    return Path(relative);
  }
  /// Writes the configuration from UTF-8 text in the system's encoding of text files.
  void WriteConfig(std::string_view utf8) {
    const bool codePage = system_.TextFiles() == platform::TextConvention::CodePage;
    system_.AddFile(ConfigPath(), codePage ? Cp1252(utf8) : std::string(utf8));
  }
  /// The log's lines converted to UTF-8.
  std::vector<std::string> LogLines() const {
    return LogLinesOf(system_.Contents(LogPath()), system_.TextFiles());
  }
  /// Options that run a session on the fake system, its log going where log says.
  RunOptions Options(LogDestination log = LogDestination::BesideProgram) {
    return {.System = system_, .Log = log};
  }

 private:
  FakeSystem system_;
  std::string baseName_;
};

/// A fresh temporary folder of the real system, removed with everything in it when it goes.
class TempDir {
 public:
  TempDir() {
    // A name nobody else has: create_directory is false when the folder was already there.
    std::random_device random;
    do {
      path_ = std::filesystem::temp_directory_path() / ("fundort-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~TempDir() { std::filesystem::remove_all(path_, ignored_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// Writes a file (creating its folders) with the given raw bytes.
  std::filesystem::path Write(const std::filesystem::path& relative, std::string_view bytes) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

 private:
  std::filesystem::path path_;
  std::error_code ignored_;  ///< a removal that failed, of no matter to the test
};

/// A program in a real temporary folder, its configuration and log beside it.
class InstalledProgram : TempDir {
 public:
  explicit InstalledProgram(std::string baseName = "fundort") : baseName_(std::move(baseName)) {}

  const TempDir& dir() const { return *this; }
  std::filesystem::path ProgramPath() const { return path() / baseName_; }
  std::filesystem::path ConfigPath() const { return path() / (baseName_ + ".cfg"); }
  std::filesystem::path LogPath() const { return path() / (baseName_ + ".log"); }

  /// Writes the configuration as UTF-8 text.
  void WriteConfig(std::string_view utf8) const { Write(ConfigPath(), utf8); }
  /// The log's lines converted to UTF-8.
  std::vector<std::string> LogLines() const {
    std::stringstream bytes;
    bytes << std::ifstream(LogPath(), std::ios::binary).rdbuf();
    return LogLinesOf(bytes.str());
  }
  /// Options that run a session on the real system as if it were this program.
  RunOptions Options() const { return {.ProgramPathOverride = U16(ProgramPath().string())}; }

 private:
  std::string baseName_;
};

/// One run of the program, shown to a recording observer.
struct TestRun {
  explicit TestRun(TestProgram& program) : TestRun(program.Options()) {}
  explicit TestRun(RunOptions options)
      : session(std::make_unique<RunSession>(std::move(options), observer)) {
    observer.Attach(*session);
  }
  void LoadAndRun() {
    session->Load();
    session->Run();
  }

  RecordingObserver observer;
  std::unique_ptr<RunSession> session;
};
