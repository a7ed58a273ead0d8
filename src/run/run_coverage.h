#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "collect/catalog_ids.h"

/// A count of events with the first of them listed: however many there are, the list stays
/// bounded.
template <typename Entry>
struct CappedList {
  /// The most entries a list keeps.
  static constexpr std::size_t kLimit = 1000;

  std::vector<Entry> Entries;  ///< the first kLimit events, in the order they happened
  std::int64_t Count = 0;      ///< all events, listed or not

  /// Counts one event; make() builds its entry only while the list has room, so an event past
  /// the limit costs one increment.
  template <typename Make>
  void Add(Make&& make) {
    ++Count;
    if (Entries.size() < kLimit) Entries.push_back(make());
  }
  /// True when events were counted that are not listed.
  bool Truncated() const { return Count > static_cast<std::int64_t>(Entries.size()); }
};

/// A folder that was not searched, and why.
struct MissedFolder {
  std::u16string Path;
  std::u16string Reason;  ///< the system's description
  std::int32_t Line = 0;  ///< the FOLDER line whose walk met it; 0 outside the configuration
};

/// A file that could not be read for the search.
struct MissedFile {
  FileId File{};          ///< the file in the catalog
  std::u16string Reason;  ///< the system's description
};

/// A person who is found in every file read because no term can fail.
struct TermlessPerson {
  std::u16string Name;
  std::int32_t Line = 0;  ///< the NAME line that declared the person
  /// False: the person has no term at all; true: one term is empty, which stands in every file
  /// that is not empty.
  bool EmptyTerm = false;
};

/// A file whose text recognition read, with its mean confidence.
struct RecognisedFile {
  FileId File{};
  int Pages = 0;
  int PagesFromCache = 0;
  int Confidence = 0;  ///< 0 to 100
};

/// Below this mean confidence a recognised file counts as poorly legible: searched, but a name
/// in it may have been missed.
inline constexpr int kLegibleConfidence = 60;

/// A FOLDER line whose tree lies inside, is, or holds the tree of an earlier one, so that the
/// files they share are recorded twice.
struct OverlappingFolder {
  std::u16string Path;           ///< the later FOLDER path
  std::int32_t Line = 0;         ///< its line
  std::int32_t EarlierLine = 0;  ///< the line of the earlier FOLDER whose tree holds it
};

/// What a run left out of its search and why: kept beside the tables so that a front end can
/// say how complete the answer is. The walk fills it with one increment per skipped entry.
struct RunCoverage {
  CappedList<MissedFolder> FoldersMissing;     ///< FOLDER paths that name no folder
  CappedList<MissedFolder> FoldersUnreadable;  ///< folders at any depth that could not be listed
  CappedList<MissedFile> FilesUnreadable;      ///< kept files that could not be read
  CappedList<TermlessPerson> PersonsWithoutTerms;
  CappedList<OverlappingFolder> OverlappingFolders;
  CappedList<RecognisedFile> PoorlyLegible;  ///< recognised files below kLegibleConfidence

  // Entries the walk leaves out on purpose, by reason.
  std::int64_t HiddenEntries = 0;      ///< names starting with a dot (their contents not counted)
  std::int64_t FolderLinks = 0;        ///< links to folders, never entered
  std::int64_t SpecialFiles = 0;       ///< FIFOs, sockets, devices, dangling links
  std::int64_t FilesNotAccepted = 0;   ///< files whose name no rule's pattern matches
  std::int64_t FilesTooLarge = 0;      ///< files a pattern matched but over every such rule's limit
  std::int64_t PseudoFileSystems = 0;  ///< folders of pseudo file systems met below a root

  /// Documents, archives and scans with content not read at all (encrypted, unsupported, a
  /// limit, recognition off);
  /// they are listed with their reasons among the files not extracted.
  std::int64_t DocumentsUnread = 0;
  /// Of those, archives that this build cannot read at all (it has no archive library).
  std::int64_t ArchivesNotBuiltIn = 0;

  /// True when part of the trees could not be searched: a missing or unreadable folder, an
  /// unreadable file, or content of a document or archive that was not read.
  bool Incomplete() const {
    return FoldersMissing.Count + FoldersUnreadable.Count + FilesUnreadable.Count +
               DocumentsUnread >
           0;
  }
};
