#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/main_form.h"
#include "support/text_code.h"

void MainForm::ReadFolder(std::u16string path, std::int32_t parent) {
  // One trailing separator goes, so that "/data/" and "/data" are the same folder and the root
  // "/" is kept as "" (the separator comes back when the path is composed).
  if (!path.empty() && path.back() == System().PathSeparator()) path.pop_back();
  if (Folders.empty()) Folders.emplace_back();  // slot 0 is never a folder
  Folders.push_back(FolderEntry{parent, std::move(path)});
  const auto folder = static_cast<std::int32_t>(Folders.size() - 1);
  SetFolderCount(folder);
  SetStatus(u"lese Verzeichnis aus...");

  std::optional<platform::SystemError> failure;
  const std::unique_ptr<platform::DirectoryEnumeration> entries =
      System().OpenDirectory(GetFolderPath(folder), failure);
  // A folder that cannot be read stays recorded and counted and yields no entries; the
  // coverage keeps why.
  if (entries == nullptr) {
    if (failure) NoteUnlistedFolder(folder, *failure);
    return;
  }
  if (parent == 0) NoteRootFolder(folder);

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
    // that is inside them. Links to folders and special files are neither entered nor read.
    if (name.front() == u'.') {
      if (name != u"." && name != u"..") ++coverage_.HiddenEntries;
    } else {
      switch (entries->Kind()) {
        case platform::EntryKind::Folder:
          ReadFolder(name, folder);
          break;
        case platform::EntryKind::File: {
          FileSize size(*entries);
          if (AddFile(name, size, folder)) Files.back().Identity = entries->Identity();
          break;
        }
        case platform::EntryKind::FolderLink:
          ++coverage_.FolderLinks;
          break;
        case platform::EntryKind::Special:
          ++coverage_.SpecialFiles;
          break;
      }
    }
    fetch();
    ProcessPendingMessages();
  }
}

bool MainForm::AddFile(const std::u16string& name, FileSize& size, std::int32_t folder) {
  FileRejection why = FileRejection::NoPattern;
  const std::int32_t type = GetFileType(name, size, &why);
  if (type == 0) {
    ++(why == FileRejection::OverSizeLimit ? coverage_.FilesTooLarge : coverage_.FilesNotAccepted);
    return false;
  }
  if (Files.empty()) Files.emplace_back();  // slot 0 is never a file
  Files.push_back(FileEntry{type, folder, name, size.Bytes()});
  // The total adds the recorded size, so it always equals the sum over the file table.
  TotalSize += static_cast<double>(Files.back().Size);
  SetAllSize(TotalSize);
  SetFileCount(static_cast<std::int32_t>(Files.size() - 1));
  return true;
}

std::u16string MainForm::GetFolderPath(std::int32_t index) const {
  // Collect the chain from the folder up to its root, then build the text once, root first.
  std::vector<std::int32_t> chain{index};
  while (Folders[static_cast<std::size_t>(chain.back())].Parent != 0) {
    chain.push_back(Folders[static_cast<std::size_t>(chain.back())].Parent);
  }
  const char16_t separator = System().PathSeparator();
  std::u16string path;
  for (auto link = chain.rbegin(); link != chain.rend(); ++link) {
    path += Folders[static_cast<std::size_t>(*link)].Name;
    path += separator;
  }
  return path;
}

std::u16string MainForm::GetFilePath(std::int32_t index) const {
  const FileEntry& file = Files[static_cast<std::size_t>(index)];
  return GetFolderPath(file.FolderIndex) + file.Name;
}

platform::FoundFile MainForm::LocateFile(std::int32_t index) const {
  const FileEntry& file = Files[static_cast<std::size_t>(index)];
  platform::FoundFile found{.Root = {}, .Names = {file.Name}, .Identity = file.Identity};
  std::int32_t folder = file.FolderIndex;
  while (Folders[static_cast<std::size_t>(folder)].Parent != 0) {
    found.Names.push_back(Folders[static_cast<std::size_t>(folder)].Name);
    folder = Folders[static_cast<std::size_t>(folder)].Parent;
  }
  std::reverse(found.Names.begin(), found.Names.end());
  found.Root = GetFolderPath(folder);
  return found;
}
