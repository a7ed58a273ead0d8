#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "shell/main_form.h"
#include "testing/test_program.h"

/// A loaded program whose tables are filled by hand: one root folder "data" in a temporary
/// folder with real files in it, and persons entered as the configuration would.
struct SearchFixture {
  SearchFixture() {
    MainFormOptions options = program.Options();
    options.StartTextEditor = [this](const std::u16string& path) { Opened.push_back(path); };
    run = std::make_unique<TestRun>(std::move(options));
    form().Form_Load();
    form().Folders.push_back({0, U16(program.dir().MakeFolder("data").string())});
  }

  MainForm& form() { return *run->form; }
  FakeWindow& window() { return run->window; }

  /// Writes a file into "data" and appends it to the file table; returns its number.
  std::int32_t AddFile(const std::string& name, std::string_view bytes) {
    program.dir().Write(std::filesystem::path("data") / name, bytes);
    return AddEntry(name, static_cast<std::int64_t>(bytes.size()));
  }
  /// Appends a file entry without touching the disk.
  std::int32_t AddEntry(const std::string& name, std::int64_t size) {
    form().Files.push_back({1, 1, U16(name), size});
    form().TotalSize += static_cast<double>(size);
    return static_cast<std::int32_t>(form().Files.size() - 1);
  }
  void AddPerson(const std::string& name, const std::string& terms, std::u16string hits = u"|") {
    form().Persons.push_back({U16(name), U16(terms), std::move(hits)});
    form().PersonList.Items.push_back(U16(name));
  }
  std::string PathOf(const std::string& name) const {
    return (program.dir().path() / "data" / name).string();
  }
  std::string HitsOf(std::int32_t person) { return Utf8(form().Persons[person].Hits); }
  /// The log after the start line.
  std::vector<std::string> Log() const {
    std::vector<std::string> lines = program.LogLines();
    if (!lines.empty()) lines.erase(lines.begin());
    return lines;
  }

  TestProgram program;
  std::unique_ptr<TestRun> run;
  std::vector<std::u16string> Opened;  ///< paths the text editor was started on
};
