#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_error.h"
#include "platform/text_encoding.h"

// Everything the core asks of the operating system, behind one interface: the program's path,
// listing folders, reading, deleting and appending to files, starting the text editor and the
// code page. The real system is one implementation per operating system; tests use an in-memory
// one. No type of any particular operating system appears here.
namespace platform {

/// Identifies a file or folder on its volume: two paths that reach the same one share it.
struct FileIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t File = 0;
  bool operator==(const FileIdentity&) const = default;
};

/// Hash of a FileIdentity, for unordered containers.
struct FileIdentityHash {
  std::size_t operator()(const FileIdentity& identity) const {
    return static_cast<std::size_t>(identity.File * 0x9E3779B97F4A7C15ull ^ identity.Volume);
  }
};

/// What a folder entry is, as far as the walk cares.
enum class EntryKind {
  Folder,      ///< a folder to be walked
  File,        ///< a normal file (or a link to one)
  FolderLink,  ///< a link to a folder: never entered, so the walk cannot run in a circle
  Special,     ///< anything else (device, FIFO, socket, dangling link): never read
};

/// The entries of one folder, one at a time, in the order the system reports them.
class DirectoryEnumeration {
 public:
  virtual ~DirectoryEnumeration() = default;

  /// Moves to the next entry; false when no entry is left or reading failed.
  virtual bool Next() = 0;
  /// Bare name of the current entry.
  virtual const std::u16string& Name() const = 0;
  /// What the current entry is.
  virtual EntryKind Kind() const = 0;
  /// Size in bytes of the current file; may ask the file system on the first call per entry.
  virtual std::int64_t Size() = 0;
  /// The current file's size when the listing knows it without asking the file system again;
  /// empty otherwise.
  virtual std::optional<std::int64_t> SizeAtHand() { return Size(); }
  /// Identity of the current entry itself (a link is not followed), taken from the listing
  /// without asking the file system where it can be; empty when unknown.
  virtual std::optional<FileIdentity> Identity() = 0;
};

/// Where a walk found a file: the folder it started from, the names leading down from there,
/// and the identity the walk saw.
struct FoundFile {
  std::u16string Root;                   ///< the walk's starting folder as it opened it
  std::vector<std::u16string> Names;     ///< the folders below Root, then the file's own name
  std::optional<FileIdentity> Identity;  ///< as listed by the walk; empty when unknown
};

/// How much MappedBytes::Intact looks at.
enum class MappedCheck {
  Faults,  ///< only what reading the bytes ran into; costs nothing
  Length,  ///< also the file's length now, for the last page: it may end within it unnoticed
};

/// Part of a file mapped into memory, read in place instead of copied; unmapped when destroyed.
class MappedBytes {
 public:
  virtual ~MappedBytes() = default;

  /// The mapped bytes.
  virtual std::string_view Bytes() const = 0;
  /// How many of the bytes, from the first on, were the file's as far as they have been read:
  /// all of them unless the file was cut short under the mapping, whose lost part then reads as
  /// zeros. When the file still reaches over a part that could not be read, failure is set.
  virtual std::size_t Intact(std::optional<SystemError>& failure, MappedCheck check) const = 0;
};

/// A file open for reading, in order or at any offset; closed when destroyed.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;

  /// Reads up to size bytes into buffer from where the last Read ended; count is 0 at the end of
  /// the file.
  virtual std::optional<SystemError> Read(char* buffer, std::size_t size, std::size_t& count) = 0;
  /// Reads up to size bytes into buffer from byte offset on, leaving where Read goes on
  /// untouched; count is 0 at or past the end. Safe to call while another thread calls Read.
  virtual std::optional<SystemError> ReadAt(std::int64_t offset, char* buffer, std::size_t size,
                                            std::size_t& count) = 0;
  /// The file's length in bytes when it was opened.
  virtual std::int64_t Length() const = 0;
  /// Says the file is about to be read from its start: the system may begin fetching it.
  virtual void WillRead() {}
  /// Maps size bytes from offset on (a multiple of the system's page size) for reading in
  /// place; null when the system does not map files or this part cannot be mapped now (the
  /// file no longer reaches that far, for one), and the caller reads it instead.
  virtual std::unique_ptr<MappedBytes> Map(std::int64_t /*offset*/, std::size_t /*size*/) {
    return nullptr;
  }
};

/// Opens, one after the other, the files a walk found, each the very file the walk found: no
/// folder on its way that became a link or something else since the walk is followed. Keeps
/// the last file's folder open, so files of one folder cost one open each. One per thread.
class FoundFileOpener {
 public:
  virtual ~FoundFileOpener() = default;
  /// Opens file, whose full path is path, for reading. A file whose Names are empty is opened
  /// by path. Fails with ErrorKind::Replaced when a folder below the root is no longer a
  /// folder, or another file now stands where the walk found this one; a link the walk found
  /// is followed.
  virtual std::unique_ptr<ReadableFile> Open(const FoundFile& file, const std::u16string& path,
                                             std::optional<SystemError>& failure) = 0;
  /// Opens files together where the system can (those of at most wholeUpTo bytes read whole
  /// too), which costs less than one by one. True when it took them: OpenNext then hands them
  /// out in this order, each as it was now. False: nothing was done, Open each instead.
  virtual bool OpenAhead(std::vector<FoundFile> /*files*/, std::size_t /*wholeUpTo*/) {
    return false;
  }
  /// The next of the files OpenAhead took, as Open would give it.
  virtual std::unique_ptr<ReadableFile> OpenNext(std::optional<SystemError>& failure);
  /// False when Open finds a file with Names by them alone: its path may then be left empty.
  virtual bool NeedsPath() const { return true; }
  /// The size the file system lists for file (a link the walk found is followed), for a file
  /// that could not be opened; empty when it cannot tell.
  virtual std::optional<std::int64_t> ListedSize(const FoundFile& /*file*/,
                                                 const std::u16string& /*path*/) {
    return std::nullopt;
  }
};

/// The single-byte code page of configuration, log and searched contents.
class CodePage {
 public:
  virtual ~CodePage() = default;

  /// Decodes bytes to text, one character per byte.
  virtual std::u16string Decode(std::string_view bytes) const = 0;
  /// Encodes text, one byte per character; a character without a byte becomes '?'.
  virtual std::string Encode(std::u16string_view text) const = 0;
  /// A copy of text with every character upper-cased (the one mapping the core uses).
  virtual std::u16string UpperCase(std::u16string_view text) const = 0;
  /// Maps every byte to its case-folded byte: two bytes fold alike exactly when their
  /// characters are equal without regard to case.
  virtual const std::array<unsigned char, 256>& CaseFoldTable() const = 0;
};

/// The operating system as the core sees it.
class System {
 public:
  System() = default;
  virtual ~System() = default;
  System(const System&) = delete;
  System& operator=(const System&) = delete;

  /// The character that separates folders in a path.
  virtual char16_t PathSeparator() const = 0;
  /// Full path of the running program.
  virtual std::u16string ExecutablePath() const = 0;
  /// Full path of the current working folder, ending in the separator; relative paths given on
  /// a command line are taken from there.
  virtual std::u16string CurrentFolder() const = 0;
  /// Full path of the user's home folder, without a trailing separator; empty when unknown.
  virtual std::u16string HomeFolder() const = 0;
  /// The value of an environment variable; empty when it is not set.
  virtual std::optional<std::u16string> EnvironmentVariable(std::u16string_view name) const = 0;
  /// True when this user may create files in the folder at path (ending in the separator).
  virtual bool CanCreateFilesIn(const std::u16string& path) = 0;
  /// Creates the folder at path (ending in the separator) and the folders above it as needed,
  /// readable by the user alone; an existing folder is no failure.
  virtual std::optional<SystemError> CreateFolders(const std::u16string& path) = 0;
  /// The code page of configuration, log and searched contents.
  virtual const platform::CodePage& CodePage() const = 0;
  /// How this system writes plain text: the encoding of configuration and log, and the
  /// encodings terms are looked for in by default.
  virtual TextConvention TextFiles() const = 0;

  /// Opens the folder at path (ending in the separator) for listing; nullptr with failure set
  /// when it cannot be read. A folder opened while another listing is open lies below it (the
  /// walk is depth-first): when it is on another volume holding a pseudo file system (proc,
  /// sysfs, ...), it is not listed and failure has the kind PseudoFileSystem.
  virtual std::unique_ptr<DirectoryEnumeration> OpenDirectory(
      const std::u16string& path, std::optional<SystemError>& failure) = 0;
  /// True for an existing normal file (or a link to one); folders and special files are not.
  virtual bool IsRegularFile(const std::u16string& path) = 0;
  /// True when the system marks the file hidden: a leading dot on Linux, the hidden or system
  /// attribute on Windows.
  virtual bool IsHidden(const std::u16string& path) = 0;
  /// Identity of the existing file or folder at path, following links; empty when none is there.
  virtual std::optional<FileIdentity> IdentityOf(const std::u16string& path) = 0;

  /// Opens a normal file for reading; a folder or special file is refused.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::u16string& path,
                                                       std::optional<SystemError>& failure) = 0;
  /// An opener of found files for one thread. This default opens each file by its path and
  /// checks nothing; a system that can descend by descriptors does better.
  virtual std::unique_ptr<FoundFileOpener> OpenFoundFiles();
  /// Appends bytes to a file in one write, creating the file if missing. The file gets all of
  /// them or none: a write that ends short is cut back. When the file opened is protected (the
  /// same file, however named), nothing is written and the failure's kind is Protected.
  virtual std::optional<SystemError> AppendToFile(const std::u16string& path,
                                                  std::string_view bytes,
                                                  std::optional<FileIdentity> protectedFile) = 0;
  /// Deletes one file.
  virtual std::optional<SystemError> DeleteFile(const std::u16string& path) = 0;
  /// Deletes the very file a walk found, following no link below its root; deletes nothing and
  /// fails with ErrorKind::Replaced when a link or another file now stands in its way.
  virtual std::optional<SystemError> DeleteFoundFile(const FoundFile& file) = 0;
  /// Starts the text editor on a file without waiting for it.
  virtual std::optional<SystemError> StartTextEditor(const std::u16string& path) = 0;

  /// Whether the text inside documents is searched unless the configuration says otherwise.
  virtual bool ReadsDocumentsByDefault() const = 0;
};

/// The operating system this program runs on.
System& OperatingSystem();

}  // namespace platform
