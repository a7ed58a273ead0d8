#include <limits>

#include "search/hit_list.h"
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

/// Drops the prepared terms when a search run ends, however it ends.
class TermsOfOneRun {
 public:
  explicit TermsOfOneRun(std::unique_ptr<TermSearch>& terms) : terms_(terms) {}
  ~TermsOfOneRun() { terms_.reset(); }
  TermsOfOneRun(const TermsOfOneRun&) = delete;
  TermsOfOneRun& operator=(const TermsOfOneRun&) = delete;

 private:
  std::unique_ptr<TermSearch>& terms_;
};

}  // namespace

std::int32_t MainForm::GetCompareMode() const {
  return SearchMode == 1 ? 1 : 0;
}

void MainForm::SearchFiles() {
  if (StopRequested) return;
  SetStatus(u"durchsuche Dateien...");

  termSearch_ =
      std::make_unique<TermSearch>(Persons, MatchingOf(GetCompareMode()),
                                   SearchCodePage(System().CodePage()), FormsOf(Encodings));
  const TermsOfOneRun release(termSearch_);

  const auto fileCount = static_cast<std::int32_t>(Files.empty() ? 0 : Files.size() - 1);
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
  const std::u16string path = GetFilePath(fileNumber);
  // One buffer serves every file of the run, so reading allocates only when a file is larger
  // than all before it.
  std::string& content = contentBuffer_;
  if (ReadWholeFile(System(), path, content)) {
    WriteLog(u"ERROR: cannot read file: " + path);
    UnreadableFiles.push_back(fileNumber);
    return;
  }
  terms.Begin();
  terms.Feed(content);
  terms.Finish();

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
