#include "collect/file_catalog.h"

#include <algorithm>
#include <mutex>

#include "platform/utf8.h"

namespace {

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

// Names are stored as UTF-8, extended so that a lone surrogate (a file name byte that was not
// UTF-8 comes in as U+DC80 + byte) is written as a three-byte sequence of its own value: every
// 16-bit text survives the round trip, and the usual ASCII name takes half the room.
FileCatalog::NameSpan FileCatalog::Store(std::u16string_view name) {
  const std::uint64_t offset = names_.size();
  for (std::size_t at = 0; at < name.size(); ++at) {
    std::uint32_t code = name[at];
    if (IsHighSurrogate(name[at]) && at + 1 < name.size() && IsLowSurrogate(name[at + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (name[at + 1] - 0xDC00U);
      ++at;
    }
    platform::AppendUtf8(names_, code);
  }
  return NameSpan{offset, static_cast<std::uint32_t>(names_.size() - offset)};
}

void FileCatalog::AppendName(NameSpan span, std::u16string& text) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(names_.data() + span.Offset);
  const auto* const end = bytes + span.Length;
  // Only what Store wrote is read back, so every sequence is whole and well formed.
  while (bytes < end) {
    const unsigned lead = *bytes++;
    if (lead < 0x80) {
      text += static_cast<char16_t>(lead);
      continue;
    }
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    std::uint32_t code = lead & (0x3FU >> more);
    for (int next = 0; next < more; ++next)
      code = (code << 6) | (*bytes++ & 0x3FU);
    platform::AppendUtf16(text, code);
  }
}

std::u16string FileCatalog::NameOf(NameSpan span) const {
  std::u16string name;
  AppendName(span, name);
  return name;
}

std::size_t FileCatalog::FolderCount() const {
  const std::shared_lock lock(guard_.Mutex);
  return folders_.size();
}

std::size_t FileCatalog::FileCount() const {
  const std::shared_lock lock(guard_.Mutex);
  return files_.size();
}

double FileCatalog::TotalSize() const {
  const std::shared_lock lock(guard_.Mutex);
  return totalSize_ + learned_.Bytes.load();
}

bool FileCatalog::IsRoot(FolderId folder) const {
  const std::shared_lock lock(guard_.Mutex);
  return Folder(folder).Parent < 0;
}

std::int64_t FileCatalog::FileSize(FileId file) const {
  const std::shared_lock lock(guard_.Mutex);
  return File(file).Size;
}

FolderId FileCatalog::AddRoot(std::u16string_view path) {
  const std::unique_lock lock(guard_.Mutex);
  // One trailing separator goes, so that "/data/" and "/data" are the same folder and the root
  // "/" is kept as "" (the separator comes back when the path is composed).
  if (!path.empty() && path.back() == separator_) path.remove_suffix(1);
  folders_.push_back(FolderEntry{Store(path), -1});
  return IdOf<FolderId>(folders_.size() - 1);
}

FolderId FileCatalog::AddFolder(FolderId parent, std::u16string_view name) {
  const std::unique_lock lock(guard_.Mutex);
  folders_.push_back(FolderEntry{Store(name), static_cast<std::int32_t>(parent)});
  return IdOf<FolderId>(folders_.size() - 1);
}

FileId FileCatalog::AddFile(FolderId folder, std::u16string_view name, std::int64_t size,
                            std::optional<platform::FileIdentity> identity) {
  const std::unique_lock lock(guard_.Mutex);
  const NameSpan span = Store(name);
  files_.push_back(FileEntry{span.Offset, span.Length | (identity ? kIdentityKnown : 0U),
                             static_cast<std::int32_t>(folder), size,
                             identity.value_or(platform::FileIdentity{})});
  if (size >= 0) totalSize_ += static_cast<double>(size);
  return IdOf<FileId>(files_.size() - 1);
}

void FileCatalog::LearnSize(FileId file, std::int64_t size) {
  // Shared is enough: only this thread writes a size after adding, and only adding, which
  // holds the lock exclusively, moves the entries.
  const std::shared_lock lock(guard_.Mutex);
  std::int64_t& known = files_[IndexOf(file)].Size;
  if (known >= 0 || size < 0) return;
  known = size;
  learned_.Bytes.store(learned_.Bytes.load() + static_cast<double>(size));
}

std::u16string FileCatalog::FolderPath(FolderId folder) const {
  const std::shared_lock lock(guard_.Mutex);
  return PathOf(folder);
}

std::u16string FileCatalog::PathOf(FolderId folder) const {
  // Collect the chain from the folder up to its root, then build the text once, root first.
  std::vector<std::int32_t> chain{static_cast<std::int32_t>(folder)};
  while (folders_[static_cast<std::size_t>(chain.back())].Parent >= 0)
    chain.push_back(folders_[static_cast<std::size_t>(chain.back())].Parent);
  std::u16string path;
  for (auto link = chain.rbegin(); link != chain.rend(); ++link) {
    AppendName(folders_[static_cast<std::size_t>(*link)].Name, path);
    path += separator_;
  }
  return path;
}

std::u16string FileCatalog::FilePath(FileId file) const {
  const std::shared_lock lock(guard_.Mutex);
  const FileEntry& entry = File(file);
  std::u16string path = PathOf(IdOf<FolderId>(static_cast<std::size_t>(entry.Folder)));
  AppendName(NameOf(entry), path);
  return path;
}

std::u16string FileCatalog::FileName(FileId file) const {
  const std::shared_lock lock(guard_.Mutex);
  return NameOf(NameOf(File(file)));
}

platform::FoundFile FileCatalog::Locate(FileId file) const {
  const std::shared_lock lock(guard_.Mutex);
  const FileEntry& entry = File(file);
  const bool identityKnown = (entry.NameLengthAndIdentity & kIdentityKnown) != 0;
  platform::FoundFile found{.Root = {},
                            .Names = {NameOf(NameOf(entry))},
                            .Identity = identityKnown
                                            ? std::optional<platform::FileIdentity>(entry.Identity)
                                            : std::nullopt};
  std::int32_t folder = entry.Folder;
  while (folders_[static_cast<std::size_t>(folder)].Parent >= 0) {
    found.Names.push_back(NameOf(folders_[static_cast<std::size_t>(folder)].Name));
    folder = folders_[static_cast<std::size_t>(folder)].Parent;
  }
  std::reverse(found.Names.begin(), found.Names.end());
  found.Root = PathOf(IdOf<FolderId>(static_cast<std::size_t>(folder)));
  return found;
}
