#pragma once

#include <filesystem>
#include <ranges>
#include <string>
#include <vector>

#include "shell/main_form.h"
#include "testing/test_program.h"

/// A loaded program whose tables are filled by hand: root folder 1 is "data" in a temporary
/// folder, holding real files; the text editor only records the paths it is started on.
struct SearchFixture {
  SearchFixture() {
    form().Form_Load();
    std::filesystem::create_directory(program.dir().path() / "data");
    form().Folders.push_back({0, U16((program.dir().path() / "data").string())});
  }
  MainForm& form() { return *run.form; }
  FakeWindow& window() { return run.window; }

  /// Appends a file entry, and writes the file unless bytes is null.
  void AddFile(const std::string& name, std::string_view bytes, std::int64_t size = -1) {
    if (bytes.data() != nullptr) program.dir().Write("data/" + name, bytes);
    form().Files.push_back({1, 1, U16(name), size < 0 ? std::ssize(bytes) : size});
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
  /// The text with the data folder written as "@".
  std::string Short(std::string text) const {
    for (std::size_t at; (at = text.find(PathOf(""))) != std::string::npos;)
      text.replace(at, PathOf("").size(), "@");
    return text;
  }
  /// The detail view as the user sees it: count, hit number, path, selector maximum and value,
  /// and whether selector and buttons are enabled.
  std::string View() {
    const MainForm& shown = form();
    const auto& selector = shown.PersonFundstellenAuswahl;
    const bool enabled = selector.Enabled && shown.Command1.Enabled && shown.Command2.Enabled;
    return Short(Utf8(shown.PersonHäufigkeit.Caption + u" " + shown.PersonFundstelle.Caption +
                      u" " + shown.PersonFundstelleVerzeichnis.Text) +
                 " " + std::to_string(selector.Max) + " " + std::to_string(selector.Value) +
                 (enabled ? " on" : " off"));
  }
  /// The log after its start line.
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const std::string& line : program.LogLines() | std::views::drop(1))
      lines.push_back(Short(line));
    return lines;
  }

  TestProgram program;
  std::vector<std::u16string> Opened;
  TestRun run{[this] {
    MainFormOptions options = program.Options();
    options.StartTextEditor = [this](const std::u16string& path) { Opened.push_back(path); };
    return options;
  }()};
};
