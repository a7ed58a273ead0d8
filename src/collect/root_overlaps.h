#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/system.h"

/// Remembers the root folders of a run's FOLDER lines and finds a later root whose tree lies
/// inside, is, or holds the tree of an earlier one, so that the files they share would be
/// recorded twice.
class RootOverlaps {
 public:
  /// Takes the root at path (ending in the separator) of configuration line line; answers the
  /// line of an earlier root that overlaps it, if any.
  std::optional<std::int32_t> Note(platform::System& system, const std::u16string& path,
                                   std::int32_t line);

 private:
  /// Identity of each listed root folder with its FOLDER line.
  std::unordered_map<platform::FileIdentity, std::int32_t, platform::FileIdentityHash> roots_;
  /// Identity of each folder above a listed root, with the first FOLDER line below it.
  std::unordered_map<platform::FileIdentity, std::int32_t, platform::FileIdentityHash> ancestors_;
};
