#pragma once

#include <string_view>

#include "collect/file_catalog.h"
#include "collect/file_type_rules.h"
#include "platform/system.h"

/// Entries the walk leaves out on purpose.
enum class SkippedEntry {
  Hidden,       ///< a name starting with a dot (whatever is inside is not counted)
  FolderLink,   ///< a link to a folder, never entered
  Special,      ///< a FIFO, socket, device or dangling link
  NotAccepted,  ///< a file whose name no rule's pattern matches
  TooLarge,     ///< a file a pattern matched but over every such rule's limit
};

/// What the walk tells as it goes.
class WalkListener {
 public:
  virtual ~WalkListener() = default;
  /// A folder was added to the catalog; it is listed next.
  virtual void FolderEntered(FolderId folder) = 0;
  /// The folder could not be listed: it stays in the catalog and yields no entries.
  virtual void FolderNotListed(FolderId folder, const platform::SystemError& failure) = 0;
  /// A root folder was opened for listing.
  virtual void RootListed(FolderId folder) = 0;
  /// A file was added to the catalog.
  virtual void FileKept(FileId file) = 0;
  /// An entry was left out.
  virtual void EntrySkipped(SkippedEntry entry) = 0;
  /// Asked after every entry; false ends the walk.
  virtual bool Checkpoint() = 0;
};

/// Whether the walk asks the file system for the size of every file it keeps.
enum class KeptSizes {
  Asked,  ///< every kept file is sized as it is added
  Later,  ///< only when a rule or the listing knows it; the search learns the others
};

/// Walks folder trees depth first, entries in the order the system lists them, and adds every
/// folder and every file a rule accepts to the catalog.
class FolderWalker {
 public:
  /// A walker over system's folders that adds to catalog what rules accept.
  FolderWalker(platform::System& system, const FileTypeRules& rules, FileCatalog& catalog,
               WalkListener& listener, KeptSizes sizes = KeptSizes::Asked)
      : system_(system), rules_(rules), catalog_(catalog), listener_(listener), sizes_(sizes) {}

  /// Walks the tree at path (a FOLDER line's folder); false when the walk was stopped.
  bool Walk(std::u16string_view path);

 private:
  /// Lists folder and walks into its subfolders; false when the walk was stopped.
  bool ListFolder(FolderId folder);

  platform::System& system_;
  const FileTypeRules& rules_;
  FileCatalog& catalog_;
  WalkListener& listener_;
  KeptSizes sizes_;
};
