#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Recognition of text in images and in PDF pages that carry none (scans), and the cache of
/// what was recognised.
namespace extract {

/// True when this build holds the recognition engine.
bool RecognitionBuilt();
/// True when the engine's data for the language code ("deu", "eng") is installed.
bool LanguageInstalled(std::string_view code);
/// The engine's version; part of every cache key, so a new engine recognises anew.
std::string RecognitionEngineVersion();

/// What recognition gave for one page.
struct PageText {
  std::string Text;    ///< UTF-8
  int Confidence = 0;  ///< the engine's mean word confidence, 0 to 100
};

/// What recognition did for one file.
struct RecognitionSummary {
  int Pages = 0;           ///< pages whose text comes from recognition, cached ones included
  int PagesFromCache = 0;  ///< of those, pages taken from the cache
  long ConfidenceSum = 0;  ///< sum of the pages' confidences
  /// The mean confidence of the file's pages, 0 to 100; 0 without pages.
  int MeanConfidence() const { return Pages == 0 ? 0 : static_cast<int>(ConfidenceSum / Pages); }
};

/// The cache of recognised text: an SQLite database of pages keyed by the SHA-256 of the
/// file's bytes, the languages and the engine version. It holds the text of scanned documents,
/// so its folder is private to the user (0700) and the database too (0600).
class RecognitionCache {
 public:
  /// Seconds since the epoch; injected so that expiry can be tested.
  using Clock = std::function<std::int64_t()>;
  /// Entries whose files were not met for this long are dropped by Expire.
  static constexpr std::int64_t kKeepSeconds = std::int64_t{90} * 24 * 60 * 60;

  /// Opens or makes the cache in folder. A damaged database is set aside (renamed) and a new
  /// one made; when the folder or database cannot be used, the answer is empty and problem
  /// says why: the run then goes on without a cache.
  static std::unique_ptr<RecognitionCache> Open(const std::string& folder, Clock clock,
                                                std::string& problem);
  /// The default folder: $XDG_CACHE_HOME/fundort, else $HOME/.cache/fundort; empty when
  /// neither is set.
  static std::string DefaultFolder();
  /// Removes the cache database in folder with its journal files; false when one stays.
  static bool Clear(const std::string& folder);

  ~RecognitionCache();
  RecognitionCache(const RecognitionCache&) = delete;
  RecognitionCache& operator=(const RecognitionCache&) = delete;

  /// The page's text recognised before with the same setting, if any; a hit marks the file met.
  std::optional<PageText> Find(const std::string& file, const std::string& setting, int page);
  /// Keeps a page's text. Failures are ignored: the cache only saves work.
  void Store(const std::string& file, const std::string& setting, int page, const PageText& text);
  /// Forgets every page of the file with this content hash (the file was deleted).
  void Forget(const std::string& file);
  /// Drops the entries whose files were not met for kKeepSeconds.
  void Expire();
  /// The number of pages kept (for tests and the report).
  std::int64_t PageCount();

 private:
  struct Database;
  RecognitionCache(std::unique_ptr<Database> database, Clock clock);
  std::unique_ptr<Database> database_;
  Clock clock_;
  std::mutex mutex_;  ///< search workers share one cache: one of them uses it at a time
};

/// Recognises the text of page images, one engine kept for all files of a run, with an
/// optional cache. Used by the extraction of images and of PDF pages without text.
class Recognizer {
 public:
  /// Told before each page is recognised (from 1, of pages).
  using PageProgress = std::function<void(int page, int pages)>;

  /// The cache to use, asked for when first needed; may answer null.
  using CacheSource = std::function<RecognitionCache*()>;

  /// Recognises in the given languages ("deu", "eng"), with the cache that cache gives, if any.
  Recognizer(std::vector<std::string> languages, CacheSource cache);
  ~Recognizer();
  Recognizer(const Recognizer&) = delete;
  Recognizer& operator=(const Recognizer&) = delete;

  /// Called before each page is recognised.
  void OnPage(PageProgress progress) { progress_ = std::move(progress); }
  /// The languages, joined by "+".
  const std::string& Languages() const { return languages_; }

  /// Starts a file: its summary begins at nothing.
  void BeginFile();
  /// What recognition did for the file begun last.
  const RecognitionSummary& Summary() const { return summary_; }

  /// Starts a document (the file, or one inside it) whose bytes are document: the next page asks
  /// for its hash anew.
  void BeginDocument(std::string_view document) {
    hashed_ = document;
    documentHash_.clear();
  }
  /// The text of page (from 0, of pages) of the document whose bytes are document (their hash
  /// keys the cache): from the cache, else from recognise(), which recognises it and answers
  /// empty when the page could not be made.
  std::optional<PageText> Page(std::string_view document, int page, int pages,
                               const std::function<std::optional<PageText>()>& recognise);
  /// Recognises a leptonica image (PIX*) of the given resolution (0: unknown), scaling small
  /// text up; the image stays the caller's. Empty when the engine cannot start.
  std::optional<PageText> RecogniseImage(void* pix, int resolution);

 private:
  struct Engine;
  /// The cache, once asked for.
  RecognitionCache* Cache();

  std::string languages_;
  CacheSource cacheSource_;
  RecognitionCache* cache_ = nullptr;
  bool cacheAsked_ = false;
  std::unique_ptr<Engine> engine_;
  PageProgress progress_;
  std::string_view hashed_;  ///< the document whose hash is documentHash_
  std::string documentHash_;
  std::string setting_;  ///< languages and engine version, the rest of the cache key
  RecognitionSummary summary_;
};

}  // namespace extract
