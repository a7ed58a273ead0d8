#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/system.h"

/// An operating system held in memory. Folders list their entries in the order they were added,
/// so a test can drive the walk through any order; single operations can be made to fail for
/// single paths. Files may be opened and read on another thread while the test's thread reads or
/// changes the system.
class FakeSystem : public platform::System {
 public:
  /// Posix: "/" separates, a leading dot hides, text is UTF-8. Windows: "\" separates, the
  /// hidden attribute hides, text is in the code page.
  enum class Rules { Posix, Windows };
  enum class Operation { List, Open, Read, Delete, Editor, Append };
  enum class Attribute { None, Hidden };
  using Error = std::optional<platform::SystemError>;
  using Path = std::u16string;

  explicit FakeSystem(Rules rules = Rules::Posix) : rules_(rules) {}

  /// Adds a file at a full path, replacing one that is there, and its folders as needed.
  void AddFile(const Path& path, const std::string& bytes, Attribute attribute = Attribute::None);
  /// Adds a file that reports size without holding any bytes.
  void AddSizedFile(const Path& path, std::int64_t size) {
    const std::lock_guard lock(mutex_);
    AddFile(path, {});
    files_[path].Size = size;
  }
  /// Adds an empty folder (path without a trailing separator).
  void AddFolder(const Path& path);
  /// Lists an entry with nothing behind it (".", "..", links, devices) in folder ("/d/Docs/").
  void AddEntry(const Path& folder, const Path& name, platform::EntryKind kind) {
    const std::lock_guard lock(mutex_);
    Enter(folder + name, kind);
  }
  /// Makes path another name of the file at target, as a symbolic or hard link does.
  void LinkFile(const Path& path, const Path& target);
  /// Makes operation fail for path from now on, with a failure of that kind.
  void Fail(Operation operation, const Path& path,
            platform::ErrorKind kind = platform::ErrorKind::AccessDenied) {
    const std::lock_guard lock(mutex_);
    failures_[{operation, path}] = kind;
  }
  /// Makes reading the file at path fail once the first good bytes have been read.
  void FailReadAfter(const Path& path, std::size_t good) {
    const std::lock_guard lock(mutex_);
    failures_[{Operation::Read, path}] = platform::ErrorKind::Other;
    readScripts_[path].FailsAfter = good;
  }
  /// Makes the file, opened from now on, report its length as it is but read bytes instead.
  void ChangeWhenOpened(const Path& path, std::string bytes) {
    const std::lock_guard lock(mutex_);
    readScripts_[path].ChangedBytes = std::move(bytes);
  }
  /// Makes mappings of the file, made from now on, lose their bytes from offset at on while
  /// read (they read as zeros); with a kind, they could not be read instead.
  void CutMapping(const Path& path, std::size_t at,
                  std::optional<platform::ErrorKind> kind = std::nullopt) {
    const std::lock_guard lock(mutex_);
    readScripts_[path].MappingCut = {at, kind ? std::optional(ErrorOf(*kind)) : std::nullopt};
  }
  void SetExecutablePath(Path path) { executable_ = std::move(path); }
  void SetCurrentFolder(Path path) { currentFolder_ = std::move(path); }

  bool Exists(const Path& path) const { return files_.contains(path); }
  /// The bytes of the file at path; empty when there is none.
  std::string Contents(const Path& path) const { return Exists(path) ? files_.at(path).Bytes : ""; }

  int OpenNow = 0;                     ///< listings handed out and not yet destroyed
  std::vector<Path> Edited;            ///< paths the text editor was started on
  std::map<Path, Path> Environment;    ///< the environment variables set
  std::vector<Path> ProtectedFolders;  ///< folders (ending in the separator) refusing new files

  char16_t PathSeparator() const override { return separator_; }
  Path ExecutablePath() const override { return executable_; }
  Path CurrentFolder() const override { return currentFolder_; }
  Path HomeFolder() const override { return separator_ == u'/' ? u"/home/user" : u"C:\\user"; }
  std::optional<Path> EnvironmentVariable(std::u16string_view name) const override {
    const auto found = Environment.find(Path(name));
    return found == Environment.end() ? std::nullopt : std::optional(found->second);
  }
  bool CanCreateFilesIn(const Path& path) override {
    return std::ranges::find(ProtectedFolders, path) == ProtectedFolders.end();
  }
  Error CreateFolders(const Path&) override { return std::nullopt; }  // made with their files
  /// A fixed code page keeps the tests' bytes the same whatever the machine's code page is.
  const platform::CodePage& CodePage() const override { return platform::Windows1252CodePage(); }
  platform::TextConvention TextFiles() const override {
    return rules_ == Rules::Windows ? platform::TextConvention::CodePage
                                    : platform::TextConvention::Utf8;
  }
  std::unique_ptr<platform::DirectoryEnumeration> OpenDirectory(const Path& path,
                                                                Error& failure) override;
  bool IsRegularFile(const Path& path) override { return Exists(path); }
  bool IsHidden(const Path& path) override {
    if (rules_ == Rules::Posix) return Split(path).second.starts_with(u'.');
    return files_.contains(path) && files_.at(path).Hidden == Attribute::Hidden;
  }
  std::optional<platform::FileIdentity> IdentityOf(const Path& path) override;
  std::unique_ptr<platform::ReadableFile> OpenForReading(const Path& path, Error& failure) override;
  Error AppendToFile(const Path& path, std::string_view bytes,
                     std::optional<platform::FileIdentity> protectedFile) override;
  Error DeleteFile(const Path& path) override {
    const std::lock_guard lock(mutex_);
    if (auto failure = FailureOf(Operation::Delete, path)) return failure;
    return Erase(Resolve(path));
  }
  Error DeleteFoundFile(const platform::FoundFile& file) override;
  Error StartTextEditor(const Path& path) override {
    if (auto failure = FailureOf(Operation::Editor, path)) return failure;
    Edited.push_back(path);
    return std::nullopt;
  }
  bool ReadsDocumentsByDefault() const override { return rules_ == Rules::Posix; }

 private:
  struct File {
    std::string Bytes;
    std::int64_t Size = 0;
    Attribute Hidden = Attribute::None;
    std::uint64_t Number = 0;
  };
  struct Entry {
    Path Name;
    platform::EntryKind Kind;
  };
  /// How reading a file opened from now on goes wrong.
  struct ReadScript {
    std::optional<std::string> ChangedBytes;
    std::size_t FailsAfter = 0;
    std::optional<std::pair<std::size_t, Error>> MappingCut;
  };
  class Listing;
  class Reader;

  static platform::SystemError ErrorOf(platform::ErrorKind kind);
  Error FailureOf(Operation operation, const Path& path) const {
    if (!failures_.contains({operation, path})) return std::nullopt;
    return ErrorOf(failures_.at({operation, path}));
  }
  /// Splits a path into its folder (ending in the separator) and its bare name.
  std::pair<Path, Path> Split(const Path& path) const {
    const std::size_t cut = path.rfind(separator_) + 1;  // 0 when there is no separator
    return {path.substr(0, cut), path.substr(cut)};
  }
  Path Resolve(const Path& path) const {
    return fileLinks_.contains(path) ? fileLinks_.at(path) : path;
  }
  /// Removes the file at path (no link followed) and its entry.
  Error Erase(const Path& path);
  /// Lists path's name in its folder unless it is there, adding the folder itself first.
  void Enter(const Path& path, platform::EntryKind kind);

  Rules rules_;
  char16_t separator_ = rules_ == Rules::Windows ? u'\\' : u'/';
  Path executable_ = rules_ == Rules::Windows ? u"C:\\Programme\\fundort.exe" : u"/opt/fundort";
  Path currentFolder_ = rules_ == Rules::Windows ? u"C:\\" : u"/";
  std::map<Path, File> files_;
  std::map<Path, std::vector<Entry>> folders_;  ///< keyed by path with separator
  std::map<Path, Path> fileLinks_;              ///< other names of files
  std::map<std::pair<Operation, Path>, platform::ErrorKind> failures_;
  std::map<Path, ReadScript> readScripts_;
  /// Held by every change and by OpenForReading, which may run on another thread.
  std::recursive_mutex mutex_;
  std::uint64_t nextNumber_ = 1;
};
