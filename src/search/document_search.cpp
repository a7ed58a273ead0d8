#include "search/document_search.h"

#include "extract/archive_signature.h"
#include "extract/extract.h"
#include "search/term_search.h"

#if FUNDORT_READS_DOCUMENTS

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

std::optional<NotExtractedFile> DocumentSearch::Search(std::string_view content,
                                                       TermSearch& rawTerms,
                                                       const KeepGoing& keepGoing) {
  if (!extract::MayBeDocument(content.substr(0, 4096))) return std::nullopt;
  const extract::Limits limits;
  // The document is read from the bytes already in memory; one larger than the extractor takes
  // whole is searched by its raw bytes only.
  if (content.size() > limits.MaxWholeBytes) {
    return NotExtractedFile{{}, extract::ReasonText("too large to extract"), ContentGap::Unread};
  }

  if (!textTerms_) {
    textTerms_ = std::make_unique<TermSearch>(persons_, matching_, codePage_,
                                              ByteForms{ByteForm::Utf8}, keepGoing);
    // A preparation that was stopped is not kept: the run ends, and nothing may use it.
    if (!textTerms_->Complete()) {
      textTerms_.reset();
      return std::nullopt;
    }
  }
  textTerms_->Begin();
  SearchingSink sink(rawTerms, *textTerms_, keepGoing);
  extract::MemorySource source(content);
  const extract::Result result = extract::ExtractText(source, sink, limits);
  sink.Separate();
  rawTerms.Include(*textTerms_);
  if (result.Kind != extract::Outcome::NotExtracted) return std::nullopt;
  return NotExtractedFile{
      {},
      extract::ReasonText(result.Reason),
      result.Missing == extract::Gap::Damaged ? ContentGap::DamagedPart : ContentGap::Unread};
}

#else

bool DocumentsReadable() {
  return false;
}

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

std::optional<NotExtractedFile> DocumentSearch::Search(std::string_view, TermSearch&,
                                                       const KeepGoing&) {
  return std::nullopt;
}

#endif

DocumentSearch::DocumentSearch(const std::vector<Person>& persons, TermMatching matching,
                               const CodePage& codePage)
    : persons_(persons), matching_(matching), codePage_(codePage) {}

DocumentSearch::~DocumentSearch() = default;
