#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/native_path.h"
#include "shell/main_form.h"
#include "testing/fake_window.h"

/// Text from a UTF-8 literal (test sources are UTF-8).
inline std::u16string U16(std::string_view utf8) {
  return platform::FromUtf8(utf8);
}
/// Code page bytes (Windows-1252) of a UTF-8 literal, as configuration and contents are stored.
inline std::string Cp1252(std::string_view utf8) {
  return platform::EncodeCodePage(U16(utf8));
}
/// UTF-8 of a text (file names byte for byte), for readable assertion output.
inline std::string Utf8(std::u16string_view text) {
  return platform::ToNativePath(text);
}

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fundort-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
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

/// A program installed in a temporary folder: its configuration beside it, its log beside it.
class TestProgram {
 public:
  explicit TestProgram(std::string baseName = "fundort") : baseName_(std::move(baseName)) {}

  const TempDir& dir() const { return dir_; }
  std::filesystem::path ProgramPath() const { return dir_.path() / baseName_; }
  std::filesystem::path ConfigPath() const { return dir_.path() / (baseName_ + ".cfg"); }
  std::filesystem::path LogPath() const { return dir_.path() / (baseName_ + ".log"); }

  /// Writes the configuration from UTF-8 text, converted to the code page.
  void WriteConfig(std::string_view utf8) const { dir_.Write(ConfigPath(), Cp1252(utf8)); }
  /// The log's lines (split at CR LF) converted from the code page to UTF-8.
  std::vector<std::string> LogLines() const {
    std::stringstream bytes;
    bytes << std::ifstream(LogPath(), std::ios::binary).rdbuf();
    std::vector<std::string> lines;
    for (std::string line; std::getline(bytes, line, '\n');) {
      const bool ended = line.ends_with('\r');
      lines.push_back(ended ? Utf8(platform::DecodeCodePage(line.substr(0, line.size() - 1)))
                            : "<unterminated>" + line);
    }
    return lines;
  }
  /// Options that place the program in the temporary folder and start no editor.
  MainFormOptions Options() const {
    MainFormOptions options;
    options.ProgramPath = [program = platform::FromNativePath(ProgramPath().string())] {
      return program;
    };
    options.StartTextEditor = [](const std::u16string&) {};
    return options;
  }

 private:
  TempDir dir_;
  std::string baseName_;
};

/// One run of the program with a scripted window.
struct TestRun {
  explicit TestRun(const TestProgram& program) : TestRun(program.Options()) {}
  explicit TestRun(MainFormOptions options)
      : form(std::make_unique<MainForm>(window, std::move(options))) {
    window.Attach(*form);
  }
  /// Form_Load followed by the timer's run.
  void LoadAndRun() {
    form->Form_Load();
    form->StartTimer_Timer();
  }

  FakeWindow window;
  std::unique_ptr<MainForm> form;
};
