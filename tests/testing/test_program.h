#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/main_form.h"
#include "testing/fake_window.h"

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// Writes a file (creating its folders) with the given raw bytes.
  std::filesystem::path Write(const std::filesystem::path& relative, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

/// Text from a UTF-8 literal (test sources are UTF-8).
std::u16string U16(std::string_view utf8);
/// Code page bytes (Windows-1252) of a UTF-8 literal, as configuration and contents are stored.
std::string Cp1252(std::string_view utf8);
/// UTF-8 of a text, for readable assertion output.
std::string Utf8(std::u16string_view text);

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
  std::vector<std::string> LogLines() const;
  /// Options that place the program in the temporary folder.
  MainFormOptions Options() const;

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
