#include "testing/test_program.h"

#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

#include "platform/code_page.h"
#include "platform/native_path.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device device;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    path_ = base / ("fundort-test-" + std::to_string(::getpid()) + "-" + std::to_string(device()));
    if (fs::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code error;
  // Give back permissions that a test took away, so everything can be removed.
  for (auto it = fs::recursive_directory_iterator(
           path_, fs::directory_options::skip_permission_denied, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

fs::path TempDir::Write(const fs::path& relative, std::string_view bytes) const {
  const fs::path file = path_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

fs::path TempDir::MakeFolder(const fs::path& relative) const {
  fs::create_directories(path_ / relative);
  return path_ / relative;
}

std::u16string U16(std::string_view utf8) {
  return platform::FromUtf8(utf8);
}

std::string Cp1252(std::string_view utf8) {
  return platform::EncodeCodePage(U16(utf8));
}

std::string Utf8(std::u16string_view text) {
  return platform::ToNativePath(text);
}

TestProgram::TestProgram(std::string baseName) : baseName_(std::move(baseName)) {}

void TestProgram::WriteConfig(std::string_view utf8) const {
  WriteConfigBytes(Cp1252(utf8));
}

void TestProgram::WriteConfigBytes(std::string_view bytes) const {
  dir_.Write(baseName_ + ".cfg", bytes);
}

std::vector<std::string> TestProgram::LogLines() const {
  std::ifstream in(LogPath(), std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string bytes = buffer.str();
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = bytes.find("\r\n"); end != std::string::npos;
       end = bytes.find("\r\n", start)) {
    lines.push_back(Utf8(platform::DecodeCodePage(bytes.substr(start, end - start))));
    start = end + 2;
  }
  if (start < bytes.size()) lines.push_back("<unterminated>" + bytes.substr(start));
  return lines;
}

MainFormOptions TestProgram::Options() const {
  MainFormOptions options;
  const std::u16string program = platform::FromNativePath(ProgramPath().string());
  options.ProgramPath = [program] { return program; };
  options.StartTextEditor = [](const std::u16string&) {};
  return options;
}

TestRun::TestRun(MainFormOptions options)
    : form(std::make_unique<MainForm>(window, std::move(options))) {
  window.Attach(*form);
}

void TestRun::LoadAndRun() {
  form->Form_Load();
  form->StartTimer_Timer();
}
