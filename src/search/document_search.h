#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collect/catalog_ids.h"
#include "search/person_table.h"
#include "search/search_settings.h"
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

/// What recognition did for one file.
struct RecognitionCounts {
  int Pages = 0;           ///< pages whose text was recognised, cached ones included
  int PagesFromCache = 0;  ///< of those, pages whose text came from the cache
  int Confidence = 0;      ///< the mean confidence of the pages, 0 to 100
};

/// True when this build can read the text inside documents.
bool DocumentsReadable();
/// True when this build can recognise text in images and scans.
bool RecognitionReadable();
/// True when the recognition data for the language code ("deu") is installed.
bool RecognitionLanguageInstalled(std::string_view code);

/// The helper program `fundort-extract` that belongs to the program at programPath (UTF-8):
/// beside it, in the build tree, or where it is installed; empty when there is none.
std::string FindExtractHelper(const std::string& programPath);

/// The cache of recognised text between runs (see the README): opened for a run, told of the
/// files deleted through the program, pruned at the end of the run.
class RecognisedTextCache {
 public:
  /// Seconds since the epoch; empty: the system clock.
  using Clock = std::function<std::int64_t()>;
  /// The folder used when the front end names none: $XDG_CACHE_HOME/fundort or ~/.cache/fundort.
  static std::string DefaultFolder();
  /// Removes the cache in folder; false when part of it stays.
  static bool Clear(const std::string& folder);

  /// The cache in folder, opened when first needed (a run without scans leaves no trace); a
  /// damaged one is then set aside and made anew. When it cannot be used, Problem() says why and
  /// the run goes on without it.
  RecognisedTextCache(std::string folder, Clock clock);
  ~RecognisedTextCache();
  RecognisedTextCache(const RecognisedTextCache&) = delete;
  RecognisedTextCache& operator=(const RecognisedTextCache&) = delete;

  /// The folder the cache lives in.
  const std::string& Folder() const { return folder_; }
  const std::string& Problem() const { return problem_; }
  /// Forgets the text recognised in a file whose content is bytes (it is being deleted).
  void Forget(std::string_view bytes);
  /// Drops what belongs to files not met for 90 days.
  void Expire();
  /// The number of pages kept.
  std::int64_t Pages();
  /// The cache of the extraction library, opened now if not yet; null when it cannot be used.
  void* Handle();

 private:
  std::string folder_;
  Clock clock_;
  std::mutex mutex_;  ///< guards the opening
  bool tried_ = false;
  void* impl_ = nullptr;
  std::string problem_;
};

/// What the search of a document's texts found out besides the hits.
struct DocumentResult {
  std::optional<NotExtractedFile> NotExtracted;  ///< why its text could not be read wholly, if so
  RecognitionCounts Recognised;                  ///< pages recognised in it
};

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

  /// Told before a page is recognised (from 1, of pages).
  using PageProgress = std::function<void(int page, int pages)>;

  /// For the persons and comparison of rawTerms, which must outlive this, reading images and
  /// scans as recognition says.
  DocumentSearch(const std::vector<Person>& persons, TermMatching matching,
                 const CodePage& codePage, const RecognitionSettings& recognition,
                 PageProgress progress);
  ~DocumentSearch();
  DocumentSearch(const DocumentSearch&) = delete;
  DocumentSearch& operator=(const DocumentSearch&) = delete;

  /// After rawTerms has scanned content (a whole file), adds the terms found in the texts the
  /// content holds when it is a document. Says why (File left unset) when it is one whose text
  /// could not be read wholly. A plain file costs one look at its first bytes.
  DocumentResult Search(std::string_view content, TermSearch& rawTerms, const KeepGoing& keepGoing);

 private:
  const std::vector<Person>& persons_;
  TermMatching matching_;
  CodePage codePage_;
  std::unique_ptr<TermSearch> textTerms_;  ///< the terms in UTF-8, made for the first document
  struct Recognition;
  std::unique_ptr<Recognition> recognition_;  ///< the engine, kept for the whole search
};
