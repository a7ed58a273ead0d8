#include "testing/test_program.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "platform/code_page.h"
#include "platform/native_path.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "fundort-test-XXXXXX").string();
  path_ = ::mkdtemp(pattern.data());
}

TempDir::~TempDir() {
  std::error_code error;
  // Give back permissions that a test took away, so everything can be removed.
  for (auto it = fs::recursive_directory_iterator(
           path_, fs::directory_options::skip_permission_denied, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_symlink(error))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

fs::path TempDir::Write(const fs::path& relative, std::string_view bytes) const {
  const fs::path file = path_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
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

std::vector<std::string> TestProgram::LogLines() const {
  std::stringstream buffer;
  buffer << std::ifstream(LogPath(), std::ios::binary).rdbuf();
  const std::string bytes = buffer.str();
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(Utf8(platform::DecodeCodePage(bytes.substr(start, end - start))));
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
