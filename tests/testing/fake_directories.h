#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/directory.h"

/// Folders held in memory and reported exactly in the order given, so that a test can drive the
/// walk through any platform order. Counts what the walk did with them.
class FakeDirectories : public platform::DirectorySource {
 public:
  /// One entry as the platform reports it.
  struct Entry {
    std::u16string Name;
    bool IsFolder = false;
    std::int64_t Size = 0;
  };
  /// Declares the folder at path (ending in "/") with its entries in reporting order. A folder
  /// that is not declared cannot be read.
  void Add(const std::u16string& path, std::vector<Entry> entries) {
    folders_[path] = std::move(entries);
  }
  std::unique_ptr<platform::DirectoryEnumeration> Open(const std::u16string& path) override {
    const auto found = folders_.find(path);
    if (found == folders_.end()) return nullptr;
    return std::make_unique<Enumeration>(*this, path, found->second);
  }

  int OpenNow = 0;                     ///< enumerations handed out and not yet destroyed
  int Fetches = 0;                     ///< calls of Next(), the failing last one included
  std::vector<std::u16string> Closed;  ///< folders whose enumeration ended, in order

 private:
  struct Enumeration : platform::DirectoryEnumeration {
    Enumeration(FakeDirectories& owner, std::u16string folder, const std::vector<Entry>& list)
        : source(owner), path(std::move(folder)), entries(list) {
      ++source.OpenNow;
    }
    ~Enumeration() override {
      --source.OpenNow;
      source.Closed.push_back(path);
    }
    bool Next() override { return ++source.Fetches, ++next <= entries.size(); }
    const std::u16string& Name() const override { return entries[next - 1].Name; }
    bool IsFolder() const override { return entries[next - 1].IsFolder; }
    std::int64_t Size() override { return entries[next - 1].Size; }

    FakeDirectories& source;
    std::u16string path;
    const std::vector<Entry>& entries;
    std::size_t next = 0;
  };
  std::map<std::u16string, std::vector<Entry>> folders_;
};
