#include "collect/folder_walker.h"

#include <memory>
#include <optional>
#include <string>

#include "support/path_name.h"

bool FolderWalker::Walk(std::u16string_view path) {
  return ListFolder(catalog_.AddRoot(path));
}

bool FolderWalker::ListFolder(FolderId folder) {
  listener_.FolderEntered(folder);

  std::optional<platform::SystemError> failure;
  const std::unique_ptr<platform::DirectoryEnumeration> entries =
      system_.OpenDirectory(catalog_.FolderPath(folder), failure);
  // A folder that cannot be read stays recorded and counted and yields no entries.
  if (entries == nullptr) {
    if (failure) listener_.FolderNotListed(folder, *failure);
    return true;
  }
  if (catalog_.IsRoot(folder)) listener_.RootListed(folder);

  std::u16string name;
  const auto fetch = [&entries, &name] {
    if (!entries->Next()) {
      name.clear();
      return;
    }
    const std::u16string& reported = entries->Name();
    name = reported.find(u'\0') == std::u16string::npos ? reported : CutAtNull(reported);
  };

  bool goOn = true;
  fetch();
  while (!name.empty() && goOn) {
    // Names starting with a dot are skipped: ".", ".." and hidden files and folders with all
    // that is inside them. Links to folders and special files are neither entered nor read.
    if (name.front() == u'.') {
      if (name != u"." && name != u"..") listener_.EntrySkipped(SkippedEntry::Hidden);
    } else {
      switch (entries->Kind()) {
        case platform::EntryKind::Folder:
          goOn = ListFolder(catalog_.AddFolder(folder, name));
          break;
        case platform::EntryKind::File: {
          FileSize size(*entries);
          FileRejection why = FileRejection::NoPattern;
          if (rules_.RuleFor(name, size, &why)) {
            // Sizing a file costs a query per file, as much as reading a small one; the
            // search learns the size when it opens the file anyway.
            const std::int64_t bytes = sizes_ == KeptSizes::Asked
                                           ? size.Bytes()
                                           : size.AtHand().value_or(FileCatalog::kSizeLater);
            listener_.FileKept(catalog_.AddFile(folder, name, bytes, entries->Identity()));
          } else {
            listener_.EntrySkipped(why == FileRejection::OverSizeLimit ? SkippedEntry::TooLarge
                                                                       : SkippedEntry::NotAccepted);
          }
          break;
        }
        case platform::EntryKind::FolderLink:
          listener_.EntrySkipped(SkippedEntry::FolderLink);
          break;
        case platform::EntryKind::Special:
          listener_.EntrySkipped(SkippedEntry::Special);
          break;
      }
    }
    fetch();
    // Once stopped, the enclosing folders only unwind; their own points are passed over.
    if (goOn) goOn = listener_.Checkpoint();
  }
  return goOn;
}
