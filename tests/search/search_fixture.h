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
    std::filesystem::create_directory(program.dir().path() / "data");
    form().Folders.push_back({0, U16((program.dir().path() / "data").string())});
  }
  MainForm& form() { return *run->form; }
  FakeWindow& window() { return run->window; }

  /// Appends a file entry, and writes the file unless bytes is null.
  void AddFile(const std::string& name, std::string_view bytes, std::int64_t size = -1) {
    if (bytes.data() != nullptr) program.dir().Write("data/" + name, bytes);
    form().Files.push_back(
        {1, 1, U16(name), size < 0 ? static_cast<std::int64_t>(bytes.size()) : size});
    form().TotalSize += static_cast<double>(form().Files.back().Size);
  }
  void AddPerson(const std::string& name, const std::string& terms, std::u16string hits = u"|") {
    form().Persons.push_back({U16(name), U16(terms), std::move(hits)});
    form().PersonList.Items.push_back(U16(name));
  }
  std::string PathOf(const std::string& name) const {
    return (program.dir().path() / "data" / name).string();
  }
  std::string HitsOf(std::int32_t person) { return Utf8(form().Persons[person].Hits); }
  /// The detail view as the user sees it: count, hit number, path, selector maximum and value,
  /// and whether selector and buttons are enabled.
  std::string View() {
    const auto& selector = form().PersonFundstellenAuswahl;
    return Utf8(form().PersonHäufigkeit.Caption + u" " + form().PersonFundstelle.Caption + u" " +
                form().PersonFundstelleVerzeichnis.Text) +
           " " + std::to_string(selector.Max) + " " + std::to_string(selector.Value) +
           (selector.Enabled && form().Command1.Enabled && form().Command2.Enabled ? " on"
                                                                                   : " off");
  }
  /// The log after its start line, "@" standing for the data folder.
  std::vector<std::string> Log() const {
    std::vector<std::string> lines = program.LogLines();
    lines.erase(lines.begin());
    for (auto& line : lines)
      if (const auto at = line.find(PathOf("")); at != std::string::npos)
        line.replace(at, PathOf("").size(), "@");
    return lines;
  }

  TestProgram program;
  std::unique_ptr<TestRun> run;
  std::vector<std::u16string> Opened;
};
