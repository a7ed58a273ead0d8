#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "collect/file_rules.h"
#include "platform/code_page.h"
#include "platform/directory.h"
#include "platform/native_path.h"
#include "shell/main_form.h"
#include "support/mathe_code.h"
#include "support/text_code.h"

namespace {

/// Appends an accepted file and shows the new total and count.
void RecordFile(MainForm& form, std::int32_t type, const std::u16string& name, std::int64_t size,
                std::int32_t folder) {
  if (form.Files.empty()) form.Files.emplace_back();  // slot 0 is never a file
  form.Files.push_back(FileEntry{type, folder, name, size});
  // The total adds the recorded size, so it always equals the sum over the file table.
  form.TotalSize += static_cast<double>(size);
  form.SetAllSize(form.TotalSize);
  form.SetFileCount(static_cast<std::int32_t>(form.Files.size() - 1));
}

}  // namespace

void MainForm::ReadFolder(std::u16string path, std::int32_t parent) {
  // One trailing separator goes, so that "/data/" and "/data" are the same folder and the root
  // "/" is kept as "" (the separator comes back when the path is composed).
  if (!path.empty() && path.back() == platform::kPathSeparator) path.pop_back();
  if (Folders.empty()) Folders.emplace_back();  // slot 0 is never a folder
  Folders.push_back(FolderEntry{parent, std::move(path)});
  const auto folder = static_cast<std::int32_t>(Folders.size() - 1);
  SetFolderCount(folder);
  SetStatus(u"lese Verzeichnis aus...");

  platform::DirectorySource& directories =
      options_.Directories != nullptr ? *options_.Directories : platform::SystemDirectories();
  const std::unique_ptr<platform::DirectoryEnumeration> entries =
      directories.Open(GetFolderPath(folder));
  // A folder that cannot be read stays recorded and counted and yields no entries.
  if (entries == nullptr) return;

  std::u16string name;
  const auto fetch = [&entries, &name] {
    if (!entries->Next()) {
      name.clear();
      return;
    }
    const std::u16string& reported = entries->Name();
    name = reported.find(u'\0') == std::u16string::npos ? reported : CutAtNull(reported);
  };

  fetch();
  while (!name.empty() && !StopRequested) {
    // Names starting with a dot are skipped: ".", ".." and hidden files and folders with all
    // that is inside them.
    if (name.front() != u'.') {
      if (entries->IsFolder()) {
        ReadFolder(name, folder);
      } else {
        // The same choice AddFile makes, but the size (a file system query) is only fetched
        // once some rule's pattern accepts the name; most files of a large tree are rejected by
        // name alone.
        bool sized = false;
        std::int64_t size = 0;
        const std::int32_t type = FirstAcceptingRule(
            FileTypes, platform::UpperCase(name), [&entries, &sized, &size](std::int64_t maxSize) {
              if (!sized) {
                size = entries->Size();
                sized = true;
              }
              return maxSize < 0 || size <= maxSize;
            });
        if (type != 0) RecordFile(*this, type, name, size, folder);
      }
    }
    fetch();
    ProcessPendingMessages();
  }
}

void MainForm::AddFile(const std::u16string& name, double size, std::int32_t folder) {
  const std::int32_t type = GetFileType(name, size);
  if (type == 0) return;
  RecordFile(*this, type, name, SaturatingRound(size), folder);
}

std::u16string MainForm::GetFolderPath(std::int32_t index) const {
  // Collect the chain from the folder up to its root, then build the text once, root first.
  std::vector<std::int32_t> chain{index};
  while (Folders[static_cast<std::size_t>(chain.back())].Parent != 0) {
    chain.push_back(Folders[static_cast<std::size_t>(chain.back())].Parent);
  }
  std::u16string path;
  for (auto link = chain.rbegin(); link != chain.rend(); ++link) {
    path += Folders[static_cast<std::size_t>(*link)].Name;
    path += platform::kPathSeparator;
  }
  return path;
}

std::u16string MainForm::GetFilePath(std::int32_t index) const {
  const FileEntry& file = Files[static_cast<std::size_t>(index)];
  return GetFolderPath(file.FolderIndex) + file.Name;
}
