#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "shell/main_form.h"

namespace {

/// How far up from a root folder its enclosing folders are compared with earlier roots; deeper
/// paths do not exist on the systems we run on.
constexpr int kMostLevels = 4096;

}  // namespace

void MainForm::NoteUnlistedFolder(std::int32_t folder, const platform::SystemError& failure) {
  if (failure.Kind == platform::ErrorKind::PseudoFileSystem) {
    ++coverage_.PseudoFileSystems;
    return;
  }
  // The path is composed only for the listed entries: a tree of many unreadable folders costs
  // one increment per folder past the limit.
  const auto entry = [this, folder, &failure] {
    std::u16string path = GetFolderPath(folder);
    if (path.size() > 1) path.pop_back();  // the root "/" keeps its separator
    return MissedFolder{std::move(path), failure.Description, configLine_};
  };
  // A FOLDER path that names nothing is a mistake in the configuration; a folder below a root
  // that cannot be listed is a gap in the search.
  const bool missingRoot = Folders[static_cast<std::size_t>(folder)].Parent == 0 &&
                           failure.Kind == platform::ErrorKind::NotFound;
  (missingRoot ? coverage_.FoldersMissing : coverage_.FoldersUnreadable).Add(entry);
}

void MainForm::NoteRootFolder(std::int32_t folder) {
  const char16_t separator = System().PathSeparator();
  const std::u16string path = GetFolderPath(folder);
  const std::optional<platform::FileIdentity> own = System().IdentityOf(path);
  if (!own) return;

  // The folders above this root, as the system resolves ".." (so that links and relative paths
  // lead to the folders they really are); the topmost is its own parent.
  std::optional<platform::FileIdentity> earlier;
  std::int32_t earlierLine = 0;
  const auto compare = [&](const platform::FileIdentity& identity) {
    if (earlier) return;
    if (const auto root = roots_.find(identity); root != roots_.end()) {
      earlier = identity;
      earlierLine = root->second;
    }
  };
  compare(*own);
  // An earlier root inside this one: its files are met again by this walk.
  if (const auto inside = rootAncestors_.find(*own); inside != rootAncestors_.end() && !earlier) {
    earlier = *own;
    earlierLine = inside->second;
  }
  std::u16string up = path;
  std::optional<platform::FileIdentity> current = own;
  for (int level = 0; level < kMostLevels; ++level) {
    up += u"..";
    up += separator;
    const std::optional<platform::FileIdentity> above = System().IdentityOf(up);
    if (!above || above == current) break;
    compare(*above);
    rootAncestors_.try_emplace(*above, configLine_);
    current = above;
  }
  if (earlier) {
    coverage_.OverlappingFolders.Add([&] {
      std::u16string shown = path;
      if (shown.size() > 1) shown.pop_back();
      return OverlappingFolder{std::move(shown), configLine_, earlierLine};
    });
  }
  roots_.try_emplace(*own, configLine_);
}
