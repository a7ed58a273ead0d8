#include "collect/root_overlaps.h"

namespace {

/// How far up from a root folder its enclosing folders are compared with earlier roots; deeper
/// paths do not exist on the systems we run on.
constexpr int kMostLevels = 4096;

}  // namespace

std::optional<std::int32_t> RootOverlaps::Note(platform::System& system, const std::u16string& path,
                                               std::int32_t line) {
  const std::optional<platform::FileIdentity> own = system.IdentityOf(path);
  if (!own) return std::nullopt;

  std::optional<std::int32_t> earlierLine;
  const auto compare = [&](const platform::FileIdentity& identity) {
    if (earlierLine) return;
    if (const auto root = roots_.find(identity); root != roots_.end()) earlierLine = root->second;
  };
  compare(*own);
  // An earlier root inside this one: its files are met again by this walk.
  if (const auto inside = ancestors_.find(*own); inside != ancestors_.end() && !earlierLine) {
    earlierLine = inside->second;
  }
  // The folders above this root, as the system resolves ".." (so that links and relative paths
  // lead to the folders they really are); the topmost is its own parent.
  std::u16string up = path;
  std::optional<platform::FileIdentity> current = own;
  for (int level = 0; level < kMostLevels; ++level) {
    up += u"..";
    up += system.PathSeparator();
    const std::optional<platform::FileIdentity> above = system.IdentityOf(up);
    if (!above || above == current) break;
    compare(*above);
    ancestors_.try_emplace(*above, line);
    current = above;
  }
  roots_.try_emplace(*own, line);
  return earlierLine;
}
