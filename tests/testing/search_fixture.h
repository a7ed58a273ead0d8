#pragma once

#include <ranges>
#include <string>
#include <vector>

#include "shell/main_form.h"
#include "testing/test_program.h"

/// A loaded program on a fake system whose tables are filled by hand: root folder 1 is the
/// program's "data" folder, holding the files written.
struct SearchFixture {
  /// Reading as given (blocks, read-ahead) on the fake system.
  explicit SearchFixture(ReadLimits reading = {})
      : run([&] {
          MainFormOptions options = program.Options();
          options.Reading = reading;
          return options;
        }()) {
    form().Form_Load();
    program.system().AddFolder(program.Path("data"));
    form().Folders.push_back({0, program.Path("data")});
  }
  MainForm& form() { return *run.form; }
  FakeWindow& window() { return run.window; }
  FakeSystem& system() { return program.system(); }

  /// Appends a file entry, and writes the file unless bytes is null.
  void AddFile(const std::string& name, std::string_view bytes, std::int64_t size = -1) {
    if (bytes.data() != nullptr) program.Write("data/" + name, std::string(bytes));
    form().Files.push_back({1, 1, U16(name), size < 0 ? std::ssize(bytes) : size});
    form().TotalSize += static_cast<double>(form().Files.back().Size);
  }
  void AddPerson(const std::string& name, const std::string& terms, std::u16string hits = u"|") {
    form().Persons.push_back({U16(name), U16(terms), std::move(hits)});
    form().PersonList.Items.push_back(U16(name));
  }
  std::u16string PathOf(const std::string& name) const { return program.Path("data/" + name); }
  std::string HitsOf(std::int32_t person) { return Utf8(form().Persons[person].Hits); }
  /// The text with the data folder written as "@".
  std::string Short(const std::string& text) const { return Replace(text, Utf8(PathOf("")), "@"); }
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
  TestRun run;
};
