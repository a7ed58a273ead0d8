#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/directory.h"

/// Folders held in memory and reported exactly in the order given, so that a test can drive the
/// walk through any platform order. Records what the walk did with them.
class FakeDirectories : public platform::DirectorySource {
 public:
  /// One entry as the platform reports it.
  struct Entry {
    std::u16string Name;
    bool IsFolder = false;
    std::int64_t Size = 0;
  };
  static Entry File(std::u16string name, std::int64_t size) {
    return Entry{std::move(name), false, size};
  }
  static Entry Folder(std::u16string name) { return Entry{std::move(name), true, 0}; }

  /// Declares the folder at path (ending in "/") with its entries in reporting order. A folder
  /// that is not declared cannot be read.
  void Add(const std::u16string& path, std::vector<Entry> entries) {
    folders_[path] = std::move(entries);
  }

  std::unique_ptr<platform::DirectoryEnumeration> Open(const std::u16string& path) override;

  /// What happened, in order: "open <path>", "unreadable <path>", "close <path>".
  std::vector<std::u16string> Events;
  int OpenNow = 0;      ///< enumerations handed out and not yet destroyed
  int Fetches = 0;      ///< calls of Next(), the last failing one of each folder included
  int SizeQueries = 0;  ///< calls of Size()

 private:
  std::map<std::u16string, std::vector<Entry>> folders_;
};
