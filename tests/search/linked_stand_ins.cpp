// Stand-ins for table operations whose real definitions live on other branches while this one is
// built alone. They are weak: once the real definitions are linked in they win, and this file can
// go.
#include "shell/main_form.h"

[[gnu::weak]] std::u16string MainForm::GetFolderPath(std::int32_t index) const {
  std::u16string path;
  for (auto folder = static_cast<std::size_t>(index); folder != 0;
       folder = static_cast<std::size_t>(Folders[folder].Parent)) {
    path.insert(0, Folders[folder].Name + u"/");
  }
  return path;
}

[[gnu::weak]] std::u16string MainForm::GetFilePath(std::int32_t index) const {
  const FileEntry& file = Files[static_cast<std::size_t>(index)];
  return GetFolderPath(file.FolderIndex) + file.Name;
}

[[gnu::weak]] std::int32_t MainForm::FindPerson(const std::u16string& name) const {
  for (std::size_t person = 1; person < Persons.size(); ++person) {
    if (Persons[person].Name == name) return static_cast<std::int32_t>(person);
  }
  return 0;
}
