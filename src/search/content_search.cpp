#include <limits>

#include "search/hit_list.h"
#include "search/read_ahead.h"
#include "search/term_search.h"
#include "shell/main_form.h"
#include "support/fileio_code.h"
#include "support/mathe_code.h"
#include "support/text_code.h"

namespace {

TermMatching MatchingOf(std::int32_t compareMode) {
  return compareMode == 1 ? TermMatching::IgnoreCase : TermMatching::Exact;
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

/// Drops what a search run prepared (its terms, its reader) when the run ends, however it
/// ends; dropping the reader ends its helper thread.
template <typename Prepared>
class OneRun {
 public:
  explicit OneRun(std::unique_ptr<Prepared>& prepared) : prepared_(prepared) {}
  ~OneRun() { prepared_.reset(); }
  OneRun(const OneRun&) = delete;
  OneRun& operator=(const OneRun&) = delete;

 private:
  std::unique_ptr<Prepared>& prepared_;
};

}  // namespace

std::int32_t MainForm::GetCompareMode() const {
  return SearchMode == 1 ? 1 : 0;
}

void MainForm::SearchFiles() {
  if (StopRequested) return;
  SetStatus(u"durchsuche Dateien...");

  const CodePage codePage = SearchCodePage(System().CodePage());
  // Preparing many terms takes a while; the window answers meanwhile and may stop it.
  const auto keepGoing = [this] {
    ProcessPendingMessages();
    return !StopRequested;
  };
  termSearch_ = std::make_unique<TermSearch>(Persons, MatchingOf(GetCompareMode()), codePage,
                                             FormsOf(Encodings), keepGoing);
  const OneRun releaseTerms(termSearch_);
  if (StopRequested) return;
  if (Documents == DocumentReading::On) {
    documentSearch_ =
        std::make_unique<DocumentSearch>(Persons, MatchingOf(GetCompareMode()), codePage);
  }
  const OneRun releaseDocuments(documentSearch_);

  const auto fileCount = static_cast<std::int32_t>(Files.empty() ? 0 : Files.size() - 1);
  // The reader asks for paths on this thread only; its helper touches no table.
  reader_ = std::make_unique<ReadAhead>(
      System(), fileCount, [this](std::int32_t file) { return GetFilePath(file); },
      options_.Reading);
  const OneRun releaseReader(reader_);
  double searchedSize = 0;
  for (std::int32_t file = 1; file <= fileCount; ++file) {
    SetStatus(Files[static_cast<std::size_t>(file)].Name);
    SearchFile(file);
    if (StopRequested) return;

    searchedSize += static_cast<double>(Files[static_cast<std::size_t>(file)].Size);
    // When every kept file is empty there is nothing to weigh: each searched file then shows the
    // bar full instead of dividing by zero.
    SetProgress(TotalSize > 0 ? searchedSize / TotalSize : 1.0);

    ProcessPendingMessages();
    if (StopRequested) return;
  }
  SetStatus(u"fertig");
}

void MainForm::SearchFile(std::int32_t fileNumber) {
  TermSearch& terms = *termSearch_;
  ReadAhead& reader = *reader_;
  // The file comes in blocks, so memory does not grow with its size. A large file lets pending
  // messages through between its blocks, so the window stays responsive while it is read.
  reader.Start(fileNumber);
  terms.Begin();
  std::string_view block;
  std::optional<platform::SystemError> failure;
  std::string_view head;  // the first bytes, which tell whether the file may be a document
  std::string headBytes;
  for (bool first = true; reader.Next(block, failure); first = false) {
    if (!first) {
      ProcessPendingMessages();
      if (StopRequested) return;
    } else if (documentSearch_) {
      headBytes.assign(block.substr(0, DocumentSearch::kHeadBytes));
      head = headBytes;
    }
    terms.Feed(block);
  }
  terms.Finish();
  // A file whose reading fails after some blocks counts as unreadable as a whole: what was
  // read of it is no content of the file, so it gives no hit, as if it could not be read at all.
  if (failure) {
    WriteLog(u"ERROR: cannot read file: " + GetFilePath(fileNumber));
    UnreadableFiles.push_back(fileNumber);
    coverage_.FilesUnreadable.Add([&] { return MissedFile{fileNumber, failure->Description}; });
    return;
  }
  if (documentSearch_ && DocumentSearch::MayBeDocument(head)) {
    SearchDocument(fileNumber, *reader.File(), terms);
    if (StopRequested) return;
  }

  // Only persons with a term in this file, and persons without terms, can get a hit; the others
  // would only miss. Each visited person tries its terms in written order up to the first found.
  for (const std::int32_t person : terms.PersonsToVisit()) {
    const std::vector<std::int32_t>& termNumbers = terms.TermsOf(person);
    // A person without search terms is found in every file that could be read.
    if (termNumbers.empty()) {
      AddHit(person, fileNumber);
      continue;
    }
    for (const std::int32_t term : termNumbers) {
      if (terms.Occurs(term)) {
        AddHit(person, fileNumber);
        break;
      }
      ProcessPendingMessages();
      if (StopRequested) return;
    }
  }
}

void MainForm::SearchDocument(std::int32_t fileNumber, platform::ReadableFile& file,
                              TermSearch& terms) {
  // The extractor takes a document whole; one larger than it takes is searched by its raw bytes
  // only. The bytes come from the file already open, read at offsets.
  std::optional<std::string> reason;
  std::string content;
  const std::int64_t length = file.Length();
  if (length < 0 || static_cast<std::uint64_t>(length) > DocumentSearch::WholeBytesLimit()) {
    reason = "too large to extract";
  } else {
    content.resize(static_cast<std::size_t>(length));
    std::size_t done = 0;
    while (done < content.size()) {
      std::size_t count = 0;
      if (file.ReadAt(static_cast<std::int64_t>(done), content.data() + done, content.size() - done,
                      count) ||
          count == 0) {
        break;
      }
      done += count;
    }
    content.resize(done);
    // A long extraction gives the user a chance to stop it now and then.
    const auto keepGoing = [this] {
      ProcessPendingMessages();
      return !StopRequested;
    };
    reason = documentSearch_->Search(content, terms, keepGoing);
    if (StopRequested) return;
  }
  if (reason) NotExtractedFiles.push_back({fileNumber, std::move(*reason)});
}

void MainForm::AddHit(std::int32_t person, std::int32_t fileNumber) {
  WriteLog(u"found new file: " + GetFilePath(fileNumber));

  AppendHit(Persons[static_cast<std::size_t>(person)].Hits, fileNumber);

  if (DisplayedPerson() != person) return;
  if (!PersonFundstellenAuswahl.Enabled) {
    ShowPerson(person);
    return;
  }
  const double next = ReadNumber(PersonHäufigkeit.Caption) + 1;
  const std::int32_t count = next < 1 ? 1
                             : next >= std::numeric_limits<std::int32_t>::max()
                                 ? std::numeric_limits<std::int32_t>::max()
                                 : static_cast<std::int32_t>(next);
  PersonHäufigkeit.Caption = NumberText(count);
  Mirror(ControlId::PersonHäufigkeit);
  PersonFundstellenAuswahl.Max = count;
  Mirror(ControlId::PersonFundstellenAuswahl);
}

void MainForm::FilesChanged() {
  if (reader_ != nullptr) reader_->Restart();
}
