#include "collect/file_catalog.h"

#include <algorithm>

FileCatalog::NameSpan FileCatalog::Store(std::u16string_view name) {
  const NameSpan span{names_.size(), static_cast<std::uint32_t>(name.size())};
  names_.append(name);
  return span;
}

FolderId FileCatalog::AddRoot(std::u16string_view path) {
  // One trailing separator goes, so that "/data/" and "/data" are the same folder and the root
  // "/" is kept as "" (the separator comes back when the path is composed).
  if (!path.empty() && path.back() == separator_) path.remove_suffix(1);
  folders_.push_back(FolderEntry{Store(path), -1});
  return IdOf<FolderId>(folders_.size() - 1);
}

FolderId FileCatalog::AddFolder(FolderId parent, std::u16string_view name) {
  folders_.push_back(FolderEntry{Store(name), static_cast<std::int32_t>(parent)});
  return IdOf<FolderId>(folders_.size() - 1);
}

FileId FileCatalog::AddFile(FolderId folder, std::u16string_view name, std::int64_t size,
                            std::optional<platform::FileIdentity> identity) {
  files_.push_back(FileEntry{Store(name), static_cast<std::int32_t>(folder), identity.has_value(),
                             size, identity.value_or(platform::FileIdentity{})});
  totalSize_ += size;
  return IdOf<FileId>(files_.size() - 1);
}

std::u16string FileCatalog::FolderPath(FolderId folder) const {
  // Collect the chain from the folder up to its root, then build the text once, root first.
  std::vector<std::int32_t> chain{static_cast<std::int32_t>(folder)};
  while (folders_[static_cast<std::size_t>(chain.back())].Parent >= 0)
    chain.push_back(folders_[static_cast<std::size_t>(chain.back())].Parent);
  std::u16string path;
  for (auto link = chain.rbegin(); link != chain.rend(); ++link) {
    path += NameOf(folders_[static_cast<std::size_t>(*link)].Name);
    path += separator_;
  }
  return path;
}

std::u16string FileCatalog::FilePath(FileId file) const {
  const FileEntry& entry = File(file);
  return FolderPath(IdOf<FolderId>(static_cast<std::size_t>(entry.Folder))) +
         std::u16string(NameOf(entry.Name));
}

std::u16string_view FileCatalog::FileName(FileId file) const {
  return NameOf(File(file).Name);
}

platform::FoundFile FileCatalog::Locate(FileId file) const {
  const FileEntry& entry = File(file);
  platform::FoundFile found{.Root = {},
                            .Names = {std::u16string(NameOf(entry.Name))},
                            .Identity = entry.HasIdentity
                                            ? std::optional<platform::FileIdentity>(entry.Identity)
                                            : std::nullopt};
  std::int32_t folder = entry.Folder;
  while (folders_[static_cast<std::size_t>(folder)].Parent >= 0) {
    found.Names.emplace_back(NameOf(folders_[static_cast<std::size_t>(folder)].Name));
    folder = folders_[static_cast<std::size_t>(folder)].Parent;
  }
  std::reverse(found.Names.begin(), found.Names.end());
  found.Root = FolderPath(IdOf<FolderId>(static_cast<std::size_t>(folder)));
  return found;
}
