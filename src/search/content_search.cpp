#include "search/content_search.h"

#include <optional>
#include <string_view>

#include "search/document_search.h"
#include "search/read_ahead.h"
#include "search/term_search.h"

namespace {

TermMatching MatchingOf(SearchMode mode) {
  return mode == SearchMode::Binary ? TermMatching::IgnoreCase : TermMatching::Exact;
}

/// What the search needs of the system's single-byte code page.
CodePage SearchCodePage(const platform::CodePage& codePage) {
  return {[&codePage](std::u16string_view text) { return codePage.Encode(text); },
          codePage.CaseFoldTable()};
}

/// The byte forms in which terms are written in the given encodings.
ByteForms FormsOf(platform::TextEncodings encodings) {
  using platform::TextEncoding;
  ByteForms forms;
  if (encodings.Has(TextEncoding::Ansi)) forms = forms.With(ByteForm::Ansi);
  if (encodings.Has(TextEncoding::Utf8)) forms = forms.With(ByteForm::Utf8);
  if (encodings.Has(TextEncoding::Utf16)) {
    forms = forms.With(ByteForm::Utf16Le).With(ByteForm::Utf16Be);
  }
  return forms;
}

/// The reader numbers files from 1, in catalog order.
std::int32_t ReaderNumber(FileId file) {
  return static_cast<std::int32_t>(file) + 1;
}

}  // namespace

ContentSearch::ContentSearch(platform::System& system, const FileCatalog& catalog,
                             const PersonTable& persons, const SearchSettings& settings,
                             SearchListener& listener)
    : system_(system),
      catalog_(catalog),
      persons_(persons),
      settings_(settings),
      listener_(listener) {}

ContentSearch::~ContentSearch() = default;

bool ContentSearch::Checkpoint() {
  if (!stopped_ && !listener_.Checkpoint()) stopped_ = true;
  return !stopped_;
}

bool ContentSearch::Run() {
  listener_.SearchStarted();
  const CodePage codePage = SearchCodePage(system_.CodePage());
  const TermMatching matching = MatchingOf(settings_.Mode);
  // Preparing many terms takes a while; the window answers meanwhile and may stop it.
  terms_ =
      std::make_unique<TermSearch>(persons_.All(), matching, codePage, FormsOf(settings_.Encodings),
                                   [this] { return Checkpoint(); });
  if (stopped_) return false;
  if (settings_.Documents == DocumentReading::On) {
    documents_ = std::make_unique<DocumentSearch>(
        persons_.All(), matching, codePage, settings_.Recognition,
        [this](int page, int pages) { listener_.PageRecognising(current_, page, pages); });
  }

  const auto fileCount = static_cast<std::int32_t>(catalog_.FileCount());
  // The reader asks for paths on this thread only; its helper touches no table.
  reader_ = std::make_unique<ReadAhead>(
      system_, fileCount,
      [this](std::int32_t number) {
        return catalog_.FilePath(IdOf<FileId>(static_cast<std::size_t>(number - 1)));
      },
      settings_.Reading);
  const double totalSize = catalog_.TotalSize();
  double searchedSize = 0;
  for (std::size_t index = 0; index < catalog_.FileCount(); ++index) {
    const FileId file = IdOf<FileId>(index);
    current_ = file;
    listener_.FileStarted(file);
    if (!SearchFile(file)) return false;

    searchedSize += static_cast<double>(catalog_.FileSize(file));
    // When every kept file is empty there is nothing to weigh: each searched file then shows the
    // bar full instead of dividing by zero.
    listener_.FileSearched(file, totalSize > 0 ? searchedSize / totalSize : 1.0);
    if (!Checkpoint()) return false;
  }
  listener_.SearchFinished();
  return true;
}

bool ContentSearch::SearchFile(FileId file) {
  TermSearch& terms = *terms_;
  ReadAhead& reader = *reader_;
  // The file comes in blocks, so memory does not grow with its size. A large file lets the
  // window answer between its blocks.
  reader.Start(ReaderNumber(file));
  terms.Begin();
  std::string_view block;
  std::optional<platform::SystemError> failure;
  std::string headBytes;  // the first bytes, which tell whether the file may be a document
  for (bool first = true; reader.Next(block, failure); first = false) {
    if (!first) {
      if (!Checkpoint()) return false;
    } else if (documents_) {
      headBytes.assign(block.substr(0, DocumentSearch::kHeadBytes));
    }
    terms.Feed(block);
  }
  terms.Finish();
  // A file whose reading fails after some blocks counts as unreadable as a whole: what was
  // read of it is no content of the file, so it gives no hit, as if it could not be read at all.
  if (failure) {
    listener_.FileUnreadable(file, *failure);
    return true;
  }
  if (documents_ && DocumentSearch::MayBeDocument(headBytes)) {
    if (!SearchDocument(file, *reader.File())) return false;
  }

  // Only persons with a term in this file, and persons without terms, can get a hit; the others
  // would only miss. Each visited person tries its terms in written order up to the first found.
  for (const std::int32_t index : terms.PersonsToVisit()) {
    const PersonId person = IdOf<PersonId>(static_cast<std::size_t>(index));
    const std::vector<std::int32_t>& termNumbers = terms.TermsOf(index);
    // A person without search terms is found in every file that could be read.
    if (termNumbers.empty()) {
      listener_.HitFound(person, file);
      continue;
    }
    for (const std::int32_t term : termNumbers) {
      if (terms.Occurs(term)) {
        listener_.HitFound(person, file);
        break;
      }
      if (!Checkpoint()) return false;
    }
  }
  return true;
}

bool ContentSearch::SearchDocument(FileId file, platform::ReadableFile& content) {
  // The extractor takes a document whole; one larger than it takes is searched by its raw bytes
  // only. The bytes come from the file already open, read at offsets.
  DocumentResult result;
  const std::int64_t length = content.Length();
  if (length < 0 || static_cast<std::uint64_t>(length) > DocumentSearch::WholeBytesLimit()) {
    result.Reason = "too large to extract";
  } else {
    std::string bytes(static_cast<std::size_t>(length), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      std::size_t count = 0;
      if (content.ReadAt(static_cast<std::int64_t>(done), bytes.data() + done, bytes.size() - done,
                         count) ||
          count == 0) {
        break;
      }
      done += count;
    }
    bytes.resize(done);
    // A long extraction gives the user a chance to stop it now and then.
    result = documents_->Search(bytes, *terms_, [this] { return Checkpoint(); });
    if (stopped_) return false;
  }
  if (result.Recognised.Pages > 0) listener_.PagesRecognised(file, result.Recognised);
  if (result.Reason && result.Unread) {
    listener_.DocumentUnread(file, std::move(*result.Reason));
  } else if (result.Reason) {
    listener_.DocumentNotExtracted(file, std::move(*result.Reason));
  }
  return true;
}

void ContentSearch::FilesChanged() {
  if (reader_ != nullptr) reader_->Restart();
}
