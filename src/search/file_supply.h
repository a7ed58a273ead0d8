#pragma once

#include <chrono>
#include <cstdint>

/// The files of a catalog that a walk is still filling: the search may begin with the first
/// ones while the walk adds the rest. Every call may come from any thread.
class FileSupply {
 public:
  virtual ~FileSupply() = default;

  /// What the catalog holds for the search at a moment.
  struct Files {
    std::int32_t Count = 0;  ///< the files 0 to Count - 1 are in the catalog to stay
    double Size = 0;         ///< their sizes summed, in bytes
    bool Complete = false;   ///< no file will come after them
  };

  /// The files there now.
  virtual Files Now() = 0;
  /// Waits until there are more than count files, they are complete, or pause has passed.
  virtual Files WaitBeyond(std::int32_t count, std::chrono::milliseconds pause) = 0;
};
