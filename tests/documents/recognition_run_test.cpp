// Scans in a whole run: recognised and found like any text, kept in the cache between runs,
// and never passed off as searched while recognition is off.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "testing/test_program.h"

namespace {

std::string Scan(const std::string& name) {
  std::ifstream in(std::string(FUNDORT_SCANS) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

/// A program whose folder holds a letter, a scan and a PDF with a scanned page.
struct ScanFolder {
  explicit ScanFolder(const std::string& settings) {
    program.Write("D/brief.txt", "Brief an Paul Wegener");
    program.Write("D/clean.png", Scan("clean.png"));
    program.Write("D/mixed.pdf", Scan("mixed.pdf"));
    program.WriteConfig(settings + "FOLDER|/prog/D|\nNAME|Erika|Mustermann|\nNAME|Paul|Wegener|\n");
  }
  /// A run with its own cache folder.
  std::unique_ptr<TestRun> Run(std::function<std::int64_t()> clock = {}) {
    RunOptions options = program.Options();
    options.RecognitionCacheFolder = cache.path().string();
    options.Clock = std::move(clock);
    options.SearchWorkers = 2;  // a scan recognised by a worker, told on the run's thread
    auto run = std::make_unique<TestRun>(std::move(options));
    run->LoadAndRun();
    return run;
  }
  /// The files a person was found in, by name.
  std::vector<std::u16string> HitsOf(const RunSession& session, std::size_t person) {
    std::vector<std::u16string> names;
    for (const FileId file : session.Hits().FilesOf(IdOf<PersonId>(person)))
      names.push_back(session.Catalog().FileName(file));
    return names;
  }

  TestProgram program;
  TempDir cache;
};

// Faults: a scan's name not found, a hit from recognised text out of catalog order, a second run
// recognising again, a deleted file's text living on in the cache, a worker's page news told to
// the window from the worker's thread.
TEST(RecognitionRunTest, ScansAreFoundAndTheirTextCachedUntilDeleted) {
  ScanFolder folder("FILETYPE|*|\n");
  const auto first = folder.Run();
  const RunSession& session = *first->session;
  EXPECT_EQ(folder.HitsOf(session, 0), std::vector<std::u16string>{u"clean.png"});
  EXPECT_EQ(folder.HitsOf(session, 1), (std::vector<std::u16string>{u"brief.txt", u"mixed.pdf"}));
  EXPECT_EQ(session.PagesRecognised(), 2);
  EXPECT_EQ(session.PagesFromCache(), 0);
  EXPECT_FALSE(session.Coverage().Incomplete());
  EXPECT_TRUE(first->observer.Errors.empty());
  EXPECT_EQ(first->observer.CallsOffThread, 0);

  const auto second = folder.Run();
  EXPECT_EQ(second->session->PagesRecognised(), 2);
  EXPECT_EQ(second->session->PagesFromCache(), 2);
  EXPECT_EQ(folder.HitsOf(*second->session, 0), std::vector<std::u16string>{u"clean.png"});

  EXPECT_FALSE(second->session->DeleteFound(folder.program.Path("D/clean.png"), std::nullopt));
  folder.program.Write("D/clean.png", Scan("clean.png"));  // the same scan filed again
  const auto third = folder.Run();
  EXPECT_EQ(third->session->PagesFromCache(), 1);  // only the PDF's page was kept
}

// Faults: a scan searched blind while the run is called complete; a text file listed.
TEST(RecognitionRunTest, WithRecognitionOffEveryScanIsListedAndTheRunIncomplete) {
  ScanFolder folder("OCR|OFF|\nFILETYPE|*|\n");
  const auto run = folder.Run();
  const RunSession& session = *run->session;
  ASSERT_EQ(session.NotExtractedFiles().size(), 2u);
  for (const NotExtractedFile& file : session.NotExtractedFiles()) {
    EXPECT_EQ(file.Reason, "Texterkennung aus");
    EXPECT_EQ(file.Gap, ContentGap::Unread);
  }
  EXPECT_EQ(session.Coverage().DocumentsUnread, 2);
  EXPECT_TRUE(session.Coverage().Incomplete());
  EXPECT_EQ(folder.HitsOf(session, 1), std::vector<std::u16string>{u"brief.txt"});
}

// Faults: a missing language taking effect or passing silently; OCR|ON| dropping the languages
// of an earlier line; an unknown value accepted.
TEST(RecognitionRunTest, TheOcrLineSaysWhatCannotBeDone) {
  const struct {
    const char* lines;
    std::vector<RecordedError> errors;
    RecognitionState state;
    std::vector<std::string> languages;
  } cases[] = {
      {"OCR|ON|eng|\n", {}, RecognitionState::On, {"eng"}},
      {"OCR|OFF|\nOCR|ON|\n", {}, RecognitionState::On, {"deu", "eng"}},
      {"OCR|ON|eng|\nOCR|ON|eng|xyz|\n",
       {{u"OCR-Sprache \"xyz\" ist nicht installiert.", 2}},
       RecognitionState::On,
       {"eng"}},
      {"OCR|OFF|\nOCR| vielleicht |\n",
       {{u"Unbekannter Wert \" vielleicht \".", 2}},
       RecognitionState::Off,
       {}},
  };
  for (const auto& c : cases) {
    ScanFolder folder(c.lines);
    const auto run = folder.Run();
    EXPECT_EQ(run->observer.Errors, c.errors) << c.lines;
    EXPECT_EQ(run->session->Settings().Recognition.State, c.state) << c.lines;
    EXPECT_EQ(run->session->Settings().Recognition.Languages, c.languages) << c.lines;
  }
}

// Faults: the window's status line silent while a page is recognised, or naming another file.
TEST(RecognitionRunTest, TheStatusNamesThePageBeingRecognised) {
  ScanFolder folder("FILETYPE|*.tif|\n");
  folder.program.Write("D/pages.tif", Scan("pages.tif"));
  struct StatusObserver : RunObserver {
    void StatusChanged(std::u16string_view status) override {
      if (status.starts_with(u"Texterkennung")) statuses.emplace_back(status);
    }
    std::vector<std::u16string> statuses;
  } observer;
  RunOptions options = folder.program.Options();
  options.RecognitionCacheFolder = std::string();
  RunSession session(std::move(options), observer);
  session.Load();
  session.Run();
  EXPECT_EQ(observer.statuses,
            (std::vector<std::u16string>{u"Texterkennung: pages.tif, Seite 1 von 3",
                                         u"Texterkennung: pages.tif, Seite 2 von 3",
                                         u"Texterkennung: pages.tif, Seite 3 von 3"}));
}

}  // namespace
