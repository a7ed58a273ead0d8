#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/system.h"

/// An operating system held in memory. Folders list their entries in the order they were added,
/// so a test can drive the walk through any order the system might report. Switches give it the
/// rules of another system ("\" separators, hidden by attribute) and make single operations fail
/// for single paths. It counts what was done with its folders. Files may be opened and read from
/// another thread while the test's thread works on the system.
class FakeSystem : public platform::System {
 public:
  /// How paths are written and what makes a file hidden.
  enum class Rules {
    Posix,    ///< "/" separates, a leading dot hides, text files are UTF-8
    Windows,  ///< "\" separates, the hidden attribute hides, text files are in the code page
  };
  /// The operations that can be made to fail.
  enum class Operation { List, Open, Read, Append, Delete, Editor };
  /// Whether a file carries the hidden attribute (only Windows rules look at it).
  enum class Attribute { None, Hidden };

  explicit FakeSystem(Rules rules = Rules::Posix);

  /// Adds a file with its bytes at a full path, replacing one that is there; its folders are
  /// added as needed, each as an entry of the folder above.
  void AddFile(const std::u16string& path, std::string bytes,
               Attribute attribute = Attribute::None);
  /// Adds a file that reports size without holding any bytes.
  void AddSizedFile(const std::u16string& path, std::int64_t size);
  /// Adds an empty folder (path without a trailing separator).
  void AddFolder(const std::u16string& path);
  /// Adds an entry to a folder's listing without anything behind it ("." and "..", links,
  /// devices); the folder path ends in the separator.
  void AddEntry(const std::u16string& folder, const std::u16string& name, platform::EntryKind kind);
  /// Makes path another name of the file at target, as a symbolic or hard link does.
  void LinkFile(const std::u16string& path, const std::u16string& target);
  /// Makes operation fail for path from now on, with a failure of that kind.
  void Fail(Operation operation, const std::u16string& path,
            platform::ErrorKind kind = platform::ErrorKind::AccessDenied);
  /// Makes reading the file at path fail once the first good bytes have been read.
  void FailReadAfter(const std::u16string& path, std::size_t good,
                     platform::ErrorKind kind = platform::ErrorKind::Other);
  /// Makes a file opened from now on report its length as it is but read bytes instead: the
  /// file changed between its opening and its reading.
  void ChangeWhenOpened(const std::u16string& path, std::string bytes);
  /// Makes a mapping of the file at path, made from now on, lose its bytes from offset at on
  /// while they are read (they read as zeros); with a kind, they could not be read instead.
  void CutMapping(const std::u16string& path, std::size_t at,
                  std::optional<platform::ErrorKind> kind = std::nullopt);
  /// Sets the path ExecutablePath reports.
  void SetExecutablePath(std::u16string path) { executable_ = std::move(path); }

  /// Whether a file is at path.
  bool Exists(const std::u16string& path) const;
  /// The bytes of the file at path; empty when there is none.
  std::string Contents(const std::u16string& path) const;

  int OpenNow = 0;                     ///< listings handed out and not yet destroyed
  int Fetches = 0;                     ///< calls of Next(), the failing last one included
  std::vector<std::u16string> Edited;  ///< paths the text editor was started on

  char16_t PathSeparator() const override { return separator_; }
  std::u16string ExecutablePath() const override { return executable_; }
  const platform::CodePage& CodePage() const override;
  platform::TextConvention TextFiles() const override;
  std::unique_ptr<platform::DirectoryEnumeration> OpenDirectory(
      const std::u16string& path, std::optional<platform::SystemError>& failure) override;
  bool IsRegularFile(const std::u16string& path) override { return Exists(path); }
  bool IsHidden(const std::u16string& path) override;
  std::optional<platform::FileIdentity> IdentityOf(const std::u16string& path) override;
  std::unique_ptr<platform::ReadableFile> OpenForReading(
      const std::u16string& path, std::optional<platform::SystemError>& failure) override;
  std::optional<platform::SystemError> AppendToFile(
      const std::u16string& path, std::string_view bytes,
      std::optional<platform::FileIdentity> protectedFile) override;
  std::optional<platform::SystemError> DeleteFile(const std::u16string& path) override;
  std::optional<platform::SystemError> DeleteFoundFile(const platform::FoundFile& file) override;
  std::optional<platform::SystemError> StartTextEditor(const std::u16string& path) override;
  /// On under Linux rules, off under Windows rules.
  bool ReadsDocumentsByDefault() const override { return rules_ == Rules::Posix; }

 private:
  struct File {
    std::string Bytes;
    std::int64_t Size = 0;
    Attribute Hidden = Attribute::None;
    std::uint64_t Number = 0;
  };
  struct Entry {
    std::u16string Name;
    platform::EntryKind Kind;
  };
  class Listing;
  class Reader;

  /// The failure set for operation on path, if any.
  std::optional<platform::SystemError> FailureOf(Operation operation,
                                                 const std::u16string& path) const;
  /// Splits a path into its folder (ending in the separator) and its bare name.
  std::pair<std::u16string, std::u16string> Split(const std::u16string& path) const;
  /// The file a path names, following a link made by LinkFile.
  std::u16string Resolve(const std::u16string& path) const;
  /// Removes the file at path (no link followed) and its entry.
  std::optional<platform::SystemError> Erase(const std::u16string& path);
  /// Adds name to the folder's listing unless it is there, adding the folder itself first.
  void Enter(const std::u16string& folder, const std::u16string& name, platform::EntryKind kind);

  Rules rules_;
  char16_t separator_;
  std::u16string executable_;
  std::map<std::u16string, File> files_;
  std::map<std::u16string, std::vector<Entry>> folders_;  ///< keyed by path with separator
  std::map<std::u16string, std::u16string> fileLinks_;    ///< other names of files
  std::map<std::pair<Operation, std::u16string>, platform::ErrorKind> failures_;
  std::map<std::u16string, std::size_t> readFailsAfter_;
  std::map<std::u16string, std::string> changedWhenOpened_;
  std::map<std::u16string, std::pair<std::size_t, std::optional<platform::SystemError>>>
      mappingCuts_;
  mutable std::recursive_mutex mutex_;  ///< guards the files, folders and failures
  std::uint64_t nextNumber_ = 1;
};
