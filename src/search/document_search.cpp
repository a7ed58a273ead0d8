#include "search/document_search.h"

#include "extract/archive_signature.h"
#include "extract/extract.h"
#include "search/term_search.h"

#if FUNDORT_READS_DOCUMENTS

#include <unistd.h>

#include <filesystem>

#include "extract/content_hash.h"
#include "extract/helper_client.h"
#include "extract/recognition.h"

namespace {

/// Extracted output between two chances for the user to stop a long extraction.
constexpr std::uint64_t kBytesBetweenPoints = std::uint64_t{4} << 20;

/// Feeds what a document holds into the searches: text into the UTF-8 terms, raw bytes into
/// the terms of the raw search. Ending a stream ends it in both.
class SearchingSink final : public extract::TextSink {
 public:
  SearchingSink(TermSearch& rawTerms, TermSearch& textTerms,
                const DocumentSearch::KeepGoing& keepGoing)
      : rawTerms_(rawTerms), textTerms_(textTerms), keepGoing_(keepGoing) {}

  bool Text(std::string_view utf8) override {
    textTerms_.Feed(utf8);
    return Advance(utf8.size());
  }
  bool Raw(std::string_view bytes) override {
    rawTerms_.Feed(bytes);
    return Advance(bytes.size());
  }
  void Separate() override {
    rawTerms_.Finish();
    textTerms_.Finish();
  }
  // Asked per input read, so a document that yields no text can be stopped as well.
  bool KeepGoing() override { return keepGoing_(); }

 private:
  bool Advance(std::size_t size) {
    sincePoint_ += size;
    if (sincePoint_ < kBytesBetweenPoints) return true;
    sincePoint_ = 0;
    return keepGoing_();
  }

  TermSearch& rawTerms_;
  TermSearch& textTerms_;
  const DocumentSearch::KeepGoing& keepGoing_;
  std::uint64_t sincePoint_ = 0;
};

}  // namespace

bool DocumentsReadable() {
  return true;
}

bool RecognitionReadable() {
  return extract::RecognitionBuilt();
}

bool RecognitionLanguageInstalled(std::string_view code) {
  return extract::LanguageInstalled(code);
}

std::string RecognisedTextCache::DefaultFolder() {
  return extract::RecognitionCache::DefaultFolder();
}

bool RecognisedTextCache::Clear(const std::string& folder) {
  return extract::RecognitionCache::Clear(folder);
}

RecognisedTextCache::RecognisedTextCache(std::string folder, Clock clock)
    : folder_(std::move(folder)), clock_(std::move(clock)) {}

void* RecognisedTextCache::Handle() {
  // Search workers ask at once; the cache is opened for the first of them.
  const std::lock_guard lock(mutex_);
  if (!tried_) {
    tried_ = true;
    impl_ = extract::RecognitionCache::Open(folder_, clock_, problem_).release();
  }
  return impl_;
}

RecognisedTextCache::~RecognisedTextCache() {
  delete static_cast<extract::RecognitionCache*>(impl_);
}

void RecognisedTextCache::Forget(std::string_view bytes) {
  if (impl_ != nullptr)
    static_cast<extract::RecognitionCache*>(impl_)->Forget(extract::Sha256Hex(bytes));
}

void RecognisedTextCache::Expire() {
  if (impl_ != nullptr) static_cast<extract::RecognitionCache*>(impl_)->Expire();
}

std::int64_t RecognisedTextCache::Pages() {
  return impl_ == nullptr ? 0 : static_cast<extract::RecognitionCache*>(impl_)->PageCount();
}

std::string FindExtractHelper(const std::string& programPath) {
  const std::filesystem::path folder = std::filesystem::path(programPath).parent_path();
  for (const std::filesystem::path& candidate :
       {folder / "fundort-extract", folder / "../../extract/fundort-extract",
        std::filesystem::path("/usr/libexec/fundort/fundort-extract")}) {
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.lexically_normal().string();
  }
  return {};
}

struct DocumentSearch::Recognition {
  extract::Recognition use;
  std::unique_ptr<extract::Recognizer> engine;
  std::unique_ptr<extract::ExtractHelper> helper;
  PageProgress progress;
};

DocumentSearch::DocumentSearch(const std::vector<Person>& persons, TermMatching matching,
                               const CodePage& codePage, const RecognitionSettings& recognition,
                               PageProgress progress)
    : persons_(persons),
      matching_(matching),
      codePage_(codePage),
      recognition_(std::make_unique<Recognition>()) {
  switch (recognition.State) {
    case RecognitionState::On: {
      RecognisedTextCache* cache = recognition.Cache;
      recognition_->engine = std::make_unique<extract::Recognizer>(
          recognition.Languages, [cache]() -> extract::RecognitionCache* {
            return cache == nullptr ? nullptr
                                    : static_cast<extract::RecognitionCache*>(cache->Handle());
          });
      recognition_->engine->OnPage(progress);
      recognition_->use.Engine = recognition_->engine.get();
      break;
    }
    case RecognitionState::Off:
      recognition_->use.OffReason = "Texterkennung aus";
      break;
    case RecognitionState::LanguageMissing:
      recognition_->use.OffReason = "Sprache fehlt";
      break;
    case RecognitionState::NotBuilt:
      recognition_->use.OffReason = "Texterkennung nicht möglich";
      break;
  }
  if (!recognition.Helper.empty()) {
    extract::ExtractHelper::Setup setup;
    setup.Program = recognition.Helper;
    if (recognition.State == RecognitionState::On) setup.Languages = recognition.Languages;
    if (recognition.Cache != nullptr) setup.CacheFolder = recognition.Cache->Folder();
    setup.OffReason = recognition_->use.OffReason;
    recognition_->helper = std::make_unique<extract::ExtractHelper>(std::move(setup));
    recognition_->progress = progress;
  }
}

bool DocumentSearch::MayBeDocument(std::string_view head) {
  return extract::MayBeDocument(head);
}

bool DocumentSearch::KnownByHead(std::string_view head) {
  return extract::KnownByHead(head);
}

bool DocumentSearch::UnreadableArchive(std::string_view) {
  return false;
}

std::uint64_t DocumentSearch::WholeBytesLimit() {
  return extract::Limits().MaxWholeBytes;
}

std::string DocumentSearch::TooLargeReason() {
  return extract::ReasonText("too large to extract");
}

DocumentResult DocumentSearch::Search(std::string_view content, TermSearch& rawTerms,
                                      const KeepGoing& keepGoing) {
  if (!extract::MayBeDocument(content.substr(0, 4096))) return {};
  const extract::Limits limits;
  // The document is read from the bytes already in memory; one larger than the extractor takes
  // whole is searched by its raw bytes only.
  if (content.size() > limits.MaxWholeBytes) {
    return {NotExtractedFile{{}, TooLargeReason(), ContentGap::Unread}, {}};
  }

  if (!textTerms_) {
    textTerms_ = std::make_unique<TermSearch>(persons_, matching_, codePage_,
                                              ByteForms{ByteForm::Utf8}, keepGoing);
    // A preparation that was stopped is not kept: the run ends, and nothing may use it.
    if (!textTerms_->Complete()) {
      textTerms_.reset();
      return {};
    }
  }
  textTerms_->Begin();
  SearchingSink sink(rawTerms, *textTerms_, keepGoing);
  extract::MemorySource source(content);
  extract::Recognizer* engine = recognition_->engine.get();
  extract::RecognitionSummary summary;
  extract::Result result;
  // PDFs and scans are read in the helper, where a crash or a hang ends only the helper.
  if (recognition_->helper && extract::ExtractedInHelper(content.substr(0, 4096))) {
    result =
        recognition_->helper->Extract(content, sink, summary, recognition_->progress, keepGoing);
  } else {
    if (engine != nullptr) engine->BeginFile();
    result = extract::ExtractText(source, sink, limits, recognition_->use);
    if (engine != nullptr) summary = engine->Summary();
  }
  sink.Separate();
  rawTerms.Include(*textTerms_);
  DocumentResult outcome;
  if (result.Kind == extract::Outcome::NotExtracted) {
    outcome.NotExtracted = NotExtractedFile{
        {},
        extract::ReasonText(result.Reason),
        result.Missing == extract::Gap::Damaged ? ContentGap::DamagedPart : ContentGap::Unread};
  }
  outcome.Recognised = {summary.Pages, summary.PagesFromCache, summary.MeanConfidence()};
  return outcome;
}

#else

bool DocumentsReadable() {
  return false;
}

bool RecognitionReadable() {
  return false;
}

bool RecognitionLanguageInstalled(std::string_view) {
  return false;
}

std::string RecognisedTextCache::DefaultFolder() {
  return {};
}

bool RecognisedTextCache::Clear(const std::string&) {
  return true;
}

RecognisedTextCache::RecognisedTextCache(std::string, Clock)
    : problem_("no recognition in this build") {}

void* RecognisedTextCache::Handle() {
  return nullptr;
}

RecognisedTextCache::~RecognisedTextCache() = default;

void RecognisedTextCache::Forget(std::string_view) {}

void RecognisedTextCache::Expire() {}

std::int64_t RecognisedTextCache::Pages() {
  return 0;
}

std::string FindExtractHelper(const std::string&) {
  return {};
}

struct DocumentSearch::Recognition {};

DocumentSearch::DocumentSearch(const std::vector<Person>& persons, TermMatching matching,
                               const CodePage& codePage, const RecognitionSettings&, PageProgress)
    : persons_(persons), matching_(matching), codePage_(codePage) {}

bool DocumentSearch::MayBeDocument(std::string_view) {
  return false;
}

bool DocumentSearch::KnownByHead(std::string_view) {
  return false;
}

bool DocumentSearch::UnreadableArchive(std::string_view head) {
  return extract::LooksLikeArchive(head);
}

std::uint64_t DocumentSearch::WholeBytesLimit() {
  return 0;
}

std::string DocumentSearch::TooLargeReason() {
  return "zu gro\xC3\x9F zum Lesen";
}

DocumentResult DocumentSearch::Search(std::string_view, TermSearch&, const KeepGoing&) {
  return {};
}

#endif

DocumentSearch::~DocumentSearch() = default;
