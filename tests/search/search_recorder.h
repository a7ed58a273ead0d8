#pragma once

#include <functional>
#include <string>
#include <vector>

#include "search/content_search.h"
#include "testing/fake_system.h"
#include "testing/test_program.h"

/// A content search over files of the folder /d of a fake system, cataloged as added, that records
/// what it tells: "a: P" (file a mentions P), "a!" (a could not be read), "a? reason" (a's
/// document text could not be read), "stop" (a checkpoint said stop) and "end" (all searched).
class SearchRecorder : public SearchListener {
 public:
  explicit SearchRecorder(ReadLimits reading = {}) { settings.Reading = reading; }

  /// Catalogs a file with the size of bytes, written to the system unless it is gone.
  void AddFile(const std::string& name, const std::string& bytes, bool onDisk = true) {
    if (onDisk) system.AddFile(u"/d/" + U16(name), bytes);
    catalog.AddFile(root_, U16(name), std::ssize(bytes), std::nullopt);
  }
  void AddPerson(const std::string& name, const std::string& terms) {
    persons.Add(U16(name), U16(terms));
  }

  /// Searches every file; false when a checkpoint stopped it.
  bool Run() { return ContentSearch(system, catalog, persons, settings, *this).Run(); }

  FakeSystem system;
  FileCatalog catalog{u'/'};
  PersonTable persons;
  SearchSettings settings{.Encodings = platform::DefaultEncodings(platform::TextConvention::Utf8)};
  std::function<bool()> AtCheckpoint;  ///< answers each checkpoint; none: go on
  std::vector<std::string> Events;
  std::string Current;  ///< the name of the file being searched
  double Searched = 0;  ///< the last share of bytes searched told

 private:
  void Tell(FileId file, const std::string& what) {
    Events.push_back(Utf8(catalog.FileName(file)) + what);
  }
  void SearchStarted() override {}
  void FileStarted(FileId file) override { Current = Utf8(catalog.FileName(file)); }
  void HitFound(PersonId person, FileId file) override {
    Tell(file, ": " + Utf8(persons[person].Name));
  }
  void FileUnreadable(FileId file, const platform::SystemError&) override { Tell(file, "!"); }
  void DocumentNotExtracted(FileId file, std::string reason, ContentGap gap) override {
    Tell(file, (gap == ContentGap::Unread ? "? " : "~ ") + reason);
  }
  void FileSearched(FileId, double searched) override { Searched = searched; }
  void SearchFinished() override { Events.push_back("end"); }
  bool Checkpoint() override {
    if (!AtCheckpoint || AtCheckpoint()) return true;
    Events.push_back("stop");
    return false;
  }

  FolderId root_ = catalog.AddRoot(u"/d");
};
