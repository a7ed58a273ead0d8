#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "shell/main_form.h"
#include "testing/test_program.h"

/// A loaded program whose tables are filled by hand: root folder 1 is "data" in a temporary
/// folder, holding real files; the text editor only records the paths it is started on.
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

  /// Appends a file entry, and writes the file unless bytes is null; returns its number.
  std::int32_t AddFile(const std::string& name, std::string_view bytes, std::int64_t size = -1) {
    if (bytes.data() != nullptr) program.dir().Write("data/" + name, bytes);
    form().Files.push_back(
        {1, 1, U16(name), size < 0 ? static_cast<std::int64_t>(bytes.size()) : size});
    form().TotalSize += static_cast<double>(form().Files.back().Size);
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
  /// The log after its start line.
  std::vector<std::string> Log() const {
    const std::vector<std::string> lines = program.LogLines();
    return {lines.begin() + 1, lines.end()};
  }

  TestProgram program;
  std::unique_ptr<TestRun> run;
  std::vector<std::u16string> Opened;
};
