#include "collect/file_catalog.h"

#include <algorithm>
#include <array>
#include <vector>

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
  encoded_.clear();
  for (std::size_t at = 0; at < name.size(); ++at) {
    std::uint32_t code = name[at];
    if (IsHighSurrogate(name[at]) && at + 1 < name.size() && IsLowSurrogate(name[at + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (name[at + 1] - 0xDC00U);
      ++at;
    }
    platform::AppendUtf8(encoded_, code);
  }
  const std::size_t offset = names_.Add(encoded_.data(), encoded_.size());
  return NameSpan{offset, static_cast<std::uint32_t>(encoded_.size())};
}

void FileCatalog::AppendName(NameSpan span, std::u16string& text) const {
  const auto* bytes = reinterpret_cast<const unsigned char*>(names_.At(span.Offset));
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
  return folders_.Size();
}

std::size_t FileCatalog::FileCount() const {
  return files_.Size();
}

double FileCatalog::TotalSize() const {
  return addedSize_.Bytes.load() + learnedSize_.Bytes.load();
}

bool FileCatalog::IsRoot(FolderId folder) const {
  return Folder(folder).Parent < 0;
}

std::int64_t FileCatalog::FileSize(FileId file) const {
  return File(file).Size;
}

FolderId FileCatalog::AddRoot(std::u16string_view path) {
  // One trailing separator goes, so that "/data/" and "/data" are the same folder and the root
  // "/" is kept as "" (the separator comes back when the path is composed).
  if (!path.empty() && path.back() == separator_) path.remove_suffix(1);
  return IdOf<FolderId>(folders_.Add(FolderEntry{Store(path), -1}));
}

FolderId FileCatalog::AddFolder(FolderId parent, std::u16string_view name) {
  return IdOf<FolderId>(folders_.Add(FolderEntry{Store(name), static_cast<std::int32_t>(parent)}));
}

FileId FileCatalog::AddFile(FolderId folder, std::u16string_view name, std::int64_t size,
                            std::optional<platform::FileIdentity> identity) {
  const NameSpan span = Store(name);
  // The total first: a reader that sees the file sees its size counted.
  if (size >= 0) addedSize_.Add(static_cast<double>(size));
  return IdOf<FileId>(files_.Add(FileEntry{
      span.Offset, span.Length | (identity ? kIdentityKnown : 0U),
      static_cast<std::int32_t>(folder), size, identity.value_or(platform::FileIdentity{})}));
}

void FileCatalog::LearnSize(FileId file, std::int64_t size) {
  // Only this thread writes a size after adding, and nothing added moves.
  std::int64_t& known = files_.At(IndexOf(file))->Size;
  if (known >= 0 || size < 0) return;
  known = size;
  learnedSize_.Add(static_cast<double>(size));
}

std::u16string FileCatalog::FolderPath(FolderId folder) const {
  std::u16string path;
  AppendPath(folder, path);
  return path;
}

void FileCatalog::AppendPath(FolderId folder, std::u16string& path) const {
  // Collect the chain from the folder up to its root, then build the text once, root first.
  std::array<std::int32_t, 64> nearChain{};
  std::vector<std::int32_t> farChain;
  std::size_t depth = 0;
  for (auto link = static_cast<std::int32_t>(folder); link >= 0; link = Folder(link).Parent) {
    if (depth < nearChain.size()) {
      nearChain[depth] = link;
    } else {
      farChain.push_back(link);
    }
    ++depth;
  }
  for (std::size_t level = depth; level-- > 0;) {
    const std::int32_t link =
        level < nearChain.size() ? nearChain[level] : farChain[level - nearChain.size()];
    AppendName(Folder(link).Name, path);
    path += separator_;
  }
}

std::u16string FileCatalog::FilePath(FileId file) const {
  const FileEntry& entry = File(file);
  std::u16string path;
  path.reserve(128);
  AppendPath(IdOf<FolderId>(static_cast<std::size_t>(entry.Folder)), path);
  AppendName(NameOf(entry), path);
  return path;
}

std::u16string FileCatalog::FileName(FileId file) const {
  return NameOf(NameOf(File(file)));
}

platform::FoundFile FileCatalog::Locate(FileId file) const {
  const FileEntry& entry = File(file);
  const bool identityKnown = (entry.NameLengthAndIdentity & kIdentityKnown) != 0;
  platform::FoundFile found{.Root = {},
                            .Names = {NameOf(NameOf(entry))},
                            .Identity = identityKnown
                                            ? std::optional<platform::FileIdentity>(entry.Identity)
                                            : std::nullopt};
  std::int32_t folder = entry.Folder;
  while (Folder(folder).Parent >= 0) {
    found.Names.push_back(NameOf(Folder(folder).Name));
    folder = Folder(folder).Parent;
  }
  std::reverse(found.Names.begin(), found.Names.end());
  AppendPath(IdOf<FolderId>(static_cast<std::size_t>(folder)), found.Root);
  return found;
}
