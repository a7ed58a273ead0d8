#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collect/catalog_ids.h"
#include "search/person_table.h"
#include "search/term_forms.h"

class TermSearch;

/// What a document whose text could not be read wholly left unsearched.
enum class ContentGap {
  DamagedPart,  ///< a damaged part; what could be read was searched, so the search is complete
  Unread,       ///< content not read at all (encrypted, unsupported, a limit): incomplete
  NotBuiltIn,   ///< an archive this build cannot read at all: incomplete
};

/// A kept file whose document text could not be read (wholly or in part); its raw bytes were
/// searched all the same.
struct NotExtractedFile {
  FileId File{};       ///< the file in the catalog
  std::string Reason;  ///< short German reason naming the cause, such as "verschlüsselt"
  ContentGap Gap = ContentGap::Unread;
};

/// True when this build can read the text inside documents.
bool DocumentsReadable();

/// Searches the texts a document holds, beside its raw bytes, for one search run. Extracted text
/// is UTF-8 and is searched in that form alone; raw streams (archive members, attachments) are
/// searched in every form the raw search uses. Texts never match across their boundaries.
class DocumentSearch {
 public:
  /// How many of a file's first bytes tell whether it may be a document.
  static constexpr std::size_t kHeadBytes = 4096;
  /// Whether a file starting with head may be a document this build reads.
  static bool MayBeDocument(std::string_view head);
  /// Whether head alone tells that the file is a document or archive this build reads.
  static bool KnownByHead(std::string_view head);
  /// Whether a file starting with head is an archive this build cannot read (it has no archive
  /// library); such a file is searched by its packed bytes and listed.
  static bool UnreadableArchive(std::string_view head);
  /// The reason given for a document larger than the extractor takes whole.
  static std::string TooLargeReason();
  /// The largest document the extractor takes whole, in bytes.
  static std::uint64_t WholeBytesLimit();

  /// Called now and then during a long extraction; false stops it.
  using KeepGoing = std::function<bool()>;

  /// For the persons and comparison of rawTerms, which must outlive this.
  DocumentSearch(const std::vector<Person>& persons, TermMatching matching,
                 const CodePage& codePage);
  ~DocumentSearch();
  DocumentSearch(const DocumentSearch&) = delete;
  DocumentSearch& operator=(const DocumentSearch&) = delete;

  /// After rawTerms has scanned content (a whole file), adds the terms found in the texts the
  /// content holds when it is a document. Answers the reason and the gap (File left unset) when
  /// it is one whose text could not be read wholly. A plain file costs one look at its first
  /// bytes.
  std::optional<NotExtractedFile> Search(std::string_view content, TermSearch& rawTerms,
                                         const KeepGoing& keepGoing);

 private:
  const std::vector<Person>& persons_;
  TermMatching matching_;
  CodePage codePage_;
  std::unique_ptr<TermSearch> textTerms_;  ///< the terms in UTF-8, made for the first document
};
