#pragma once

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
inline std::u16string U16(std::string_view utf8) {
  return platform::FromUtf8(utf8);
}
/// Code page bytes (Windows-1252) of a UTF-8 literal, as configuration and contents are stored.
inline std::string Cp1252(std::string_view utf8) {
  return platform::EncodeCodePage(U16(utf8));
}
/// UTF-8 of a text (raw file-name bytes byte for byte), for readable assertion output.
inline std::string Utf8(std::u16string_view text) {
  return platform::ToUtf8(text);
}

/// The text with every occurrence of from replaced by to.
inline std::string Replace(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

/// The lines of a log (split at CR LF) converted to UTF-8 from the encoding the convention writes
/// the log in (a raw file-name byte in a UTF-8 log stays that byte); a last line without CR LF is
/// marked.
inline std::vector<std::string> LogLinesOf(
    const std::string& bytes,
    platform::TextConvention convention = platform::TextConvention::Utf8) {
  std::stringstream stream(bytes);
  std::vector<std::string> lines;
  for (std::string line; std::getline(stream, line, '\n');) {
    if (!line.ends_with('\r')) {
      lines.push_back("<unterminated>" + line);
      continue;
    }
    line.pop_back();
    lines.push_back(
        convention == platform::TextConvention::Utf8 ? line : Utf8(platform::DecodeCodePage(line)));
  }
  return lines;
}

/// A program in the folder /prog of a fake system (C:\prog under Windows rules), with its
/// configuration and its log beside it.
class TestProgram {
 public:
  explicit TestProgram(std::string baseName = "fundort",
                       FakeSystem::Rules rules = FakeSystem::Rules::Posix)
      : system_(rules), baseName_(U16(baseName)) {
    system_.SetExecutablePath(Path(Utf8(baseName_)));
  }

  FakeSystem& system() { return system_; }
  const FakeSystem& system() const { return system_; }
  /// Full path of a file or folder in the program's folder; "/" in relative separates folders.
  std::u16string Path(std::string_view relative) const {
    std::u16string path = U16(relative);
    const char16_t separator = system_.PathSeparator();
    for (char16_t& character : path)
      if (character == u'/') character = separator;
    return Folder() + separator + path;
  }
  std::u16string Folder() const {
    return system_.PathSeparator() == u'\\' ? u"C:\\prog" : u"/prog";
  }
  std::u16string ConfigPath() const { return Path(Utf8(baseName_) + ".cfg"); }
  std::u16string LogPath() const { return Path(Utf8(baseName_) + ".log"); }

  /// Writes a file in the program's folder with the given raw bytes.
  std::u16string Write(std::string_view relative, std::string bytes) {
    system_.AddFile(Path(relative), std::move(bytes));
    return Path(relative);
  }
  /// Writes the configuration from UTF-8 text as the system writes text: UTF-8 under Linux
  /// rules, the code page under Windows rules.
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
    return RunOptions{.System = system_, .Log = log};
  }

 private:
  FakeSystem system_;
  std::u16string baseName_;
};

/// A fresh temporary folder of the real system, removed with everything in it when it goes.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    // A name nobody else has: create_directory is false when the folder was already there.
    do {
      path_ = std::filesystem::temp_directory_path() / ("fundort-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
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
};

/// A program installed in a real temporary folder, its configuration and log beside it: for
/// the tests of the real system and of the built programs.
class InstalledProgram {
 public:
  explicit InstalledProgram(std::string baseName = "fundort") : baseName_(std::move(baseName)) {}

  const TempDir& dir() const { return dir_; }
  std::filesystem::path ProgramPath() const { return dir_.path() / baseName_; }
  std::filesystem::path ConfigPath() const { return dir_.path() / (baseName_ + ".cfg"); }
  std::filesystem::path LogPath() const { return dir_.path() / (baseName_ + ".log"); }

  /// Writes the configuration as UTF-8 text.
  void WriteConfig(std::string_view utf8) const { dir_.Write(ConfigPath(), utf8); }
  /// The log's lines converted to UTF-8.
  std::vector<std::string> LogLines() const {
    std::stringstream bytes;
    bytes << std::ifstream(LogPath(), std::ios::binary).rdbuf();
    return LogLinesOf(bytes.str());
  }
  /// Options that run a session on the real system as if it were this program.
  RunOptions Options() const {
    return RunOptions{.ProgramPathOverride = U16(ProgramPath().string())};
  }

 private:
  TempDir dir_;
  std::string baseName_;
};

/// One run of the program, shown to a recording observer.
struct TestRun {
  explicit TestRun(TestProgram& program) : TestRun(program.Options()) {}
  explicit TestRun(RunOptions options)
      : session(std::make_unique<RunSession>(std::move(options), observer)) {
    observer.Attach(*session);
  }
  /// Load followed by the whole run.
  void LoadAndRun() {
    session->Load();
    session->Run();
  }

  RecordingObserver observer;
  std::unique_ptr<RunSession> session;
};
