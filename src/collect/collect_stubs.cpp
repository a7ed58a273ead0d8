// Temporary until the folder walk lands.
#include "platform/code_page.h"
#include "shell/main_form.h"
#include "support/mathe_code.h"

void MainForm::ReadFolder(std::u16string path, std::int32_t parent) {
  Folders.push_back(FolderEntry{parent, path});
}
void MainForm::AddFileType(const std::u16string& pattern, double maxSize) {
  FileTypes.push_back(FileTypeEntry{platform::UpperCase(pattern), SaturatingRound(maxSize)});
}
std::u16string MainForm::GetFolderPath(std::int32_t index) const { return Folders[index].Name; }
std::u16string MainForm::GetFilePath(std::int32_t index) const {
  return GetFolderPath(Files[index].FolderIndex) + u"/" + Files[index].Name;
}
