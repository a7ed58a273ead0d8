#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
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
  /// Declares the folder at path (ending in "/") with its entries in reporting order. A folder
  /// that is not declared cannot be read.
  void Add(const std::u16string& path, std::vector<Entry> entries) {
    folders_[path] = std::move(entries);
  }

  std::unique_ptr<platform::DirectoryEnumeration> Open(const std::u16string& path) override {
    const auto found = folders_.find(path);
    if (found == folders_.end()) return nullptr;
    Events.push_back(u"open " + path);
    return std::make_unique<Enumeration>(*this, path, found->second);
  }

  std::vector<std::u16string> Events;  ///< "open <path>" and "close <path>", in order
  int OpenNow = 0;                     ///< enumerations handed out and not yet destroyed
  int Fetches = 0;  ///< calls of Next(), the last failing one of each folder included

 private:
  class Enumeration : public platform::DirectoryEnumeration {
   public:
    Enumeration(FakeDirectories& source, std::u16string path, const std::vector<Entry>& entries)
        : source_(source), path_(std::move(path)), entries_(entries) {
      ++source_.OpenNow;
    }
    ~Enumeration() override {
      --source_.OpenNow;
      source_.Events.push_back(u"close " + path_);
    }
    Enumeration(const Enumeration&) = delete;
    Enumeration& operator=(const Enumeration&) = delete;
    bool Next() override {
      ++source_.Fetches;
      return next_ < entries_.size() && (current_ = &entries_[next_++]) != nullptr;
    }
    const std::u16string& Name() const override { return current_->Name; }
    bool IsFolder() const override { return current_->IsFolder; }
    std::int64_t Size() override { return current_->Size; }

   private:
    FakeDirectories& source_;
    std::u16string path_;
    const std::vector<Entry>& entries_;
    std::size_t next_ = 0;
    const Entry* current_ = nullptr;
  };
  std::map<std::u16string, std::vector<Entry>> folders_;
};
