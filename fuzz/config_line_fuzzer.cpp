// Configuration lines through ExecConfigLine on an in-memory folder tree: whatever the lines say,
// no crash, and the tables keep the shape every other part relies on.
#include <cstdlib>
#include <numeric>
#include <set>
#include <string>

#include "fuzz_input.h"
#include "shell/main_form.h"
#include "testing/fake_system.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

/// A window that answers every box with OK and counts them.
class QuietWindow : public Window {
 public:
  void controlChanged(ControlId) override {}
  void processPendingMessages() override {}
  MessageAnswer messageBox(const MessageRequest& request) override {
    ++Boxes;
    Check(request.Title == u"Fehler" && !request.Text.empty());
    return MessageAnswer::Ok;
  }
  void closeWindow() override {}

  int Boxes = 0;
};

/// A small tree with names that patterns like to trip over. Built for every input: the fake
/// keeps a record of what was walked, which would otherwise grow from input to input.
void AddTree(FakeSystem& system) {
  system.SetExecutablePath(u"/programm/fundort");
  system.AddSizedFile(u"/d/a.txt", 10);
  system.AddSizedFile(u"/d/A.TXT.TXT", 2'147'483'648);
  system.AddSizedFile(u"/d/Brief 2024.doc", 0);
  system.AddFolder(u"/d/.versteckt");
  system.AddSizedFile(u"/d/x*?.log", 7);
  system.AddSizedFile(u"/d/sub/c.txt", 1);
  system.AddSizedFile(u"/d/sub/tief/d|e.txt", 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  QuietWindow window;
  FakeSystem system;
  AddTree(system);
  MainForm form(window, MainFormOptions{.System = system, .Log = LogDestination::None});
  form.Form_Load();

  // Lines are separated by line feeds, as the configuration reader hands them over.
  const std::u16string text = TextFromBytes(BytesOf(data, size));
  int lines = 0;
  for (std::size_t start = 0; start <= text.size(); ++lines) {
    const std::size_t end = std::min(text.find(u'\n', start), text.size());
    form.ExecConfigLine(text.substr(start, end - start));
    start = end + 1;
  }

  Check(window.Boxes <= lines);
  Check(form.SearchMode == 1 || form.SearchMode == 2);
  // Persons: unique names, found under their own number, terms always a list.
  std::set<std::u16string> names;
  for (std::size_t person = 1; person < form.Persons.size(); ++person) {
    const PersonEntry& entry = form.Persons[person];
    Check(names.insert(entry.Name).second);
    Check(form.FindPerson(entry.Name) == static_cast<std::int32_t>(person));
    Check(entry.Terms.starts_with(u"|") && entry.Hits == u"|");
    Check(form.PersonList.Items[person - 1] == entry.Name);
  }
  Check(form.PersonList.Items.size() + 1 == form.Persons.size());
  // Folders and files point at earlier folders and existing rules; the total is their sum.
  for (std::size_t folder = 1; folder < form.Folders.size(); ++folder)
    Check(form.Folders[folder].Parent >= 0 &&
          static_cast<std::size_t>(form.Folders[folder].Parent) < folder);
  double total = 0;
  for (std::size_t file = 1; file < form.Files.size(); ++file) {
    const FileEntry& entry = form.Files[file];
    Check(entry.FolderIndex >= 1 &&
          static_cast<std::size_t>(entry.FolderIndex) < form.Folders.size());
    Check(entry.TypeIndex >= 1 &&
          static_cast<std::size_t>(entry.TypeIndex) < form.FileTypes.size());
    Check(!entry.Name.empty() && entry.Name.front() != u'.');
    total += static_cast<double>(entry.Size);
  }
  Check(total == form.TotalSize);
  return 0;
}
