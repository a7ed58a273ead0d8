#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "extract/content_hash.h"
#include "extract/helper_client.h"
#include "extract/recognition.h"
#include "extract/samples.h"

namespace {

using extract::Outcome;

std::string Scan(const std::string& name) {
  std::ifstream in(std::string(FUNDORT_SCANS) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

samples::Extraction Recognise(std::string_view bytes, extract::Recognizer* engine,
                              const extract::Limits& limits = {}) {
  samples::Extraction extraction;
  extract::MemorySource source(bytes);
  if (engine != nullptr) engine->BeginFile();
  extraction.result = extract::ExtractText(source, extraction.sink, limits,
                                           extract::Recognition{engine, "Texterkennung aus"});
  return extraction;
}

/// A folder of its own below the test's temporary folder, removed at the end.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("fundort-ocr-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(path_);
  }
  ~TemporaryFolder() { std::filesystem::remove_all(path_); }
  std::string Path() const { return path_.string(); }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

std::unique_ptr<extract::RecognitionCache> OpenCache(const std::string& folder,
                                                     extract::RecognitionCache::Clock clock = {}) {
  std::string problem;
  auto cache = extract::RecognitionCache::Open(folder, std::move(clock), problem);
  EXPECT_TRUE(cache) << problem;
  return cache;
}

// Faults: a format not decoded, a page of a TIFF skipped, small text not scaled up, a PDF's
// scanned page left out or its text page recognised instead of read.
TEST(RecognitionTest, ScansGiveTheirTextAsDocumentText) {
  extract::Recognizer engine({"deu", "eng"}, {});
  struct Case {
    const char* file;
    std::vector<std::string> names;
    int pages;
  };
  for (const Case& sample :
       {Case{"clean.png", {"Erika Mustermann"}, 1}, Case{"screenshot.png", {"Jonas Kowalski"}, 1},
        Case{"pages.tif", {"Helga Sommer"}, 3},
        Case{"mixed.pdf", {"Anna Berger", "Paul Wegener"}, 1}}) {
    const std::string bytes = Scan(sample.file);
    ASSERT_FALSE(bytes.empty()) << sample.file;
    const samples::Extraction extraction = Recognise(bytes, &engine);
    EXPECT_EQ(extraction.result.Kind, Outcome::Extracted) << sample.file;
    for (const std::string& name : sample.names)
      EXPECT_NE(extraction.sink.AllText().find(name), std::string::npos) << sample.file;
    EXPECT_EQ(engine.Summary().Pages, sample.pages) << sample.file;
    EXPECT_GE(engine.Summary().MeanConfidence(), 60) << sample.file;
  }
}

// Faults: a text starting with "BM" or a sound file taken for an image (and, with recognition
// off, listed as unread), an image format missed.
TEST(RecognitionTest, ImagesAreToldByTheirSignatures) {
  using namespace std::string_literals;
  const std::pair<std::string, bool> cases[] = {
      {"BM steht hier als Kuerzel, und dies ist nur ein Text.", false},
      {"BM6\0\0\0\0\0\0\0"
       "6\0\0\0(\0\0\0\1\0\0\0\1\0\0\0"s,
       true},
      {"GIF89a\1\0\1\0"s, true},
      {"RIFF\0\0\0\0WEBPVP8 "s, true},
      {"RIFF\0\0\0\0WAVEfmt "s, false},
      {"II*\0\x08\0\0\0"s, true},
      {"\xFF\xD8\xFF\xE0"s, true},
  };
  for (const auto& [bytes, image] : cases)
    EXPECT_EQ(extract::MayBeDocument(bytes), image) << testing::PrintToString(bytes);
}

// Faults: a scan searched blind passes for read; a blank page of a text PDF makes it unread.
TEST(RecognitionTest, WithoutTheEngineScansAreListedAsUnread) {
  for (const char* file : {"clean.png", "pages.tif", "mixed.pdf"}) {
    const samples::Extraction extraction = Recognise(Scan(file), nullptr);
    EXPECT_EQ(extraction.result.Kind, Outcome::NotExtracted) << file;
    EXPECT_EQ(extraction.result.Missing, extract::Gap::Unread) << file;
    EXPECT_EQ(extraction.result.Reason, "Texterkennung aus") << file;
  }
  const samples::Extraction blank = Recognise(samples::Pdf({"Akte Berger", ""}), nullptr);
  EXPECT_EQ(blank.result.Kind, Outcome::Extracted);
  EXPECT_NE(blank.result.Missing, extract::Gap::Unread);
}

// Faults: a huge declared size decoded (memory), a damaged image ending the run, a picture in
// an Office package recognised (or listed as unread).
TEST(RecognitionTest, HugeAndDamagedImagesAreListedWithoutDecoding) {
  extract::Recognizer engine({"eng"}, {});
  // A PNG header declaring 50,000 x 50,000 pixels, and no image data worth the name.
  using namespace std::string_literals;
  std::string huge = "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\xC3\x50\0\0\xC3\x50\x08\0\0\0\0\0\0\0\0"s;
  huge += std::string(1000, '\0');
  const samples::Extraction large = Recognise(huge, &engine);
  EXPECT_EQ(large.result.Missing, extract::Gap::Unread);
  EXPECT_NE(large.result.Reason.find("100 Megapixel"), std::string::npos) << large.result.Reason;

  std::string damaged = Scan("clean.png");
  damaged.resize(damaged.size() / 2);
  const samples::Extraction broken = Recognise(damaged, &engine);
  EXPECT_EQ(broken.result.Kind, Outcome::NotExtracted);

  extract::Limits fewPages;
  fewPages.MaxRecognisedPages = 1;  // the mixed PDF has two pages, one of them scanned
  const samples::Extraction long_ = Recognise(Scan("mixed.pdf"), &engine, fewPages);
  EXPECT_EQ(long_.result.Missing, extract::Gap::Unread);
  EXPECT_NE(long_.result.Reason.find("1 Seiten"), std::string::npos) << long_.result.Reason;
  EXPECT_NE(long_.sink.AllText().find("Anna Berger"), std::string::npos);

  // A scan attached to a mail or put in a zip is read like one on its own.
  const samples::Extraction zipped =
      Recognise(samples::Zip({{"akte.pdf", Scan("mixed.pdf")}}), &engine);
  EXPECT_NE(zipped.sink.AllText().find("Paul Wegener"), std::string::npos);

  const samples::Extraction office =
      Recognise(samples::Zip({{"word/media/logo.png", Scan("clean.png")}}), nullptr);
  EXPECT_NE(office.result.Missing, extract::Gap::Unread);
  EXPECT_EQ(office.result.Kind, Outcome::Extracted);
}

// Faults: a second run recognises again; a cached page's text differs; another language setting
// takes a page recognised in other languages.
TEST(RecognitionCacheTest, ASecondReadingComesFromTheCache) {
  TemporaryFolder folder;
  const auto cache = OpenCache(folder.Path());
  const std::string bytes = Scan("clean.png");
  extract::Recognizer first({"deu"}, [&] { return cache.get(); });
  const std::string text = Recognise(bytes, &first).sink.AllText();
  EXPECT_EQ(first.Summary().PagesFromCache, 0);

  extract::Recognizer second({"deu"}, [&] { return cache.get(); });
  EXPECT_EQ(Recognise(bytes, &second).sink.AllText(), text);
  EXPECT_EQ(second.Summary().Pages, 1);
  EXPECT_EQ(second.Summary().PagesFromCache, 1);

  extract::Recognizer english({"eng"}, [&] { return cache.get(); });
  Recognise(bytes, &english);
  EXPECT_EQ(english.Summary().PagesFromCache, 0);
  EXPECT_EQ(cache->PageCount(), 2);
}

// Faults: the cache readable by others; forgetting a file leaves its text; expiry dropping
// entries met lately, or keeping old ones.
TEST(RecognitionCacheTest, PrivateForgetsDeletedFilesAndExpires) {
  TemporaryFolder folder;
  std::int64_t now = 1'000'000'000;
  const auto cache = OpenCache(folder.Path() + "/fundort", [&now] { return now; });
  struct stat status {};
  ASSERT_EQ(::stat((folder.Path() + "/fundort").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat((folder.Path() + "/fundort/recognition.sqlite").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  cache->Store("old", "deu", 0, {"Alt", 90});
  cache->Store("met", "deu", 0, {"Oft", 90});
  cache->Store("gone", "deu", 0, {"Weg", 90});
  cache->Store("gone", "eng", 3, {"Weg", 90});
  cache->Forget("gone");
  EXPECT_FALSE(cache->Find("gone", "eng", 3));
  now += extract::RecognitionCache::kKeepSeconds - 10;
  EXPECT_TRUE(cache->Find("met", "deu", 0));  // met now: lives on
  now += 20;
  cache->Expire();
  EXPECT_FALSE(cache->Find("old", "deu", 0));
  ASSERT_TRUE(cache->Find("met", "deu", 0));
  EXPECT_EQ(cache->Find("met", "deu", 0)->Text, "Oft");
  EXPECT_EQ(cache->PageCount(), 1);
}

// Faults: a damaged database ends the run or stays in use; two runs at once lose entries.
TEST(RecognitionCacheTest, DamagedCacheIsSetAsideAndTwoRunsShareOne) {
  TemporaryFolder folder;
  std::filesystem::create_directories(folder.Path());
  std::ofstream(folder.Path() + "/recognition.sqlite") << std::string(8192, 'x');
  const auto first = OpenCache(folder.Path());
  ASSERT_TRUE(first);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() + "/recognition.sqlite.damaged"));
  const auto second = OpenCache(folder.Path());
  ASSERT_TRUE(second);
  for (int page = 0; page < 20; ++page) {
    first->Store("a", "deu", page, {"eins", 80});
    second->Store("b", "deu", page, {"zwei", 80});
  }
  EXPECT_EQ(first->PageCount(), 40);
  EXPECT_TRUE(extract::RecognitionCache::Clear(folder.Path()));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/recognition.sqlite"));
}

// Faults: a cache that cannot be made ending the run instead of being skipped with its reason.
TEST(RecognitionCacheTest, AnUnusableFolderIsSkippedWithItsReason) {
  TemporaryFolder folder;
  std::filesystem::create_directories(folder.Path());
  std::ofstream(folder.Path() + "/fundort") << "a file where the folder should be";
  std::string problem;
  EXPECT_FALSE(extract::RecognitionCache::Open(folder.Path() + "/fundort", {}, problem));
  EXPECT_NE(problem.find("fundort"), std::string::npos) << problem;
  extract::Recognizer engine({"eng"}, [] { return nullptr; });
  EXPECT_EQ(Recognise(Scan("clean.png"), &engine).result.Kind, Outcome::Extracted);
}

// Faults: a wrong round constant or padding, or bytes lost between pieces.
TEST(ContentHashTest, KnownDigestsInAnyPieces) {
  EXPECT_EQ(extract::Sha256Hex(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(extract::Sha256Hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string text(1000, 'a');
  extract::ContentHash pieces;
  for (std::size_t at = 0; at < text.size(); at += 37)
    pieces.Add(std::string_view(text).substr(at, 37));
  EXPECT_EQ(pieces.HexDigest(), extract::Sha256Hex(text));
  EXPECT_EQ(extract::Sha256Hex(text),
            "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

}  // namespace

namespace {

extract::ExtractHelper::Setup HelperSetup() {
  extract::ExtractHelper::Setup setup;
  setup.Program = FUNDORT_EXTRACT_HELPER;
  setup.Languages = {"deu", "eng"};
  setup.SecondsPerPage = 120;
  return setup;
}

// Faults: a crash, a hang or an exhausted memory in the helper ending the run, passing for
// success, or leaving the next file without a helper.
TEST(ExtractHelperTest, AFailingHelperEndsOnlyItselfAndTheNextFileIsRead) {
  extract::ExtractHelper::Setup setup = HelperSetup();
  setup.SecondsPerPage = 5;
  extract::ExtractHelper helper(setup);
  const std::string letter = samples::Pdf({"Akte Berger"});
  std::vector<std::pair<extract::HelperFault, std::string>> faults = {
      {extract::HelperFault::Crash, "abgestürzt"}, {extract::HelperFault::Hang, "Zeitlimit"}};
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  faults.emplace_back(extract::HelperFault::EatMemory, "Speichergrenze");
#endif
  for (const auto& [fault, reason] : faults) {
    samples::CollectingSink sink;
    extract::RecognitionSummary summary;
    const extract::Result failed = helper.Extract(letter, sink, summary, {}, {}, fault);
    EXPECT_EQ(failed.Kind, Outcome::NotExtracted);
    EXPECT_EQ(failed.Missing, extract::Gap::Unread);
    EXPECT_NE(failed.Reason.find(reason), std::string::npos) << failed.Reason;

    samples::CollectingSink next;
    const extract::Result read = helper.Extract(letter, next, summary, {});
    EXPECT_EQ(read.Kind, Outcome::Extracted) << read.Reason;
    EXPECT_NE(next.AllText().find("Akte Berger"), std::string::npos);
  }
  // A stop while the helper works ends it at once, and is no failure of the file.
  int asked = 0;
  samples::CollectingSink sink;
  extract::RecognitionSummary summary;
  const extract::Result stopped = helper.Extract(
      letter, sink, summary, {}, [&asked] { return ++asked < 3; }, extract::HelperFault::Hang);
  EXPECT_EQ(stopped.Reason, "stopped");
  EXPECT_EQ(helper.Extract(letter, sink, summary, {}).Kind, Outcome::Extracted);
  EXPECT_EQ(helper.Starts(), static_cast<int>(faults.size()) + 2);
}

// Faults: text lost, cut or out of order where the helper sends many pieces at once and they
// come back in more than one read.
TEST(ExtractHelperTest, ALongDocumentComesBackAsReadInProcess) {
  std::vector<std::string> pages;
  for (int page = 0; page < 2000; ++page)
    pages.push_back("Seite " + std::to_string(page) + " " +
                    std::string(200, static_cast<char>('a' + page % 26)));
  const std::string document = samples::Pdf(pages);
  const samples::Extraction here = samples::Extract(document);
  ASSERT_EQ(here.result.Kind, Outcome::Extracted);
  ASSERT_GT(here.sink.AllText().size(), std::size_t{3} << 16);  // more than one read takes
  extract::ExtractHelper helper(HelperSetup());
  samples::CollectingSink sink;
  extract::RecognitionSummary summary;
  const extract::Result there = helper.Extract(document, sink, summary, {});
  EXPECT_EQ(there.Kind, Outcome::Extracted) << there.Reason;
  EXPECT_EQ(sink.AllText(), here.sink.AllText());
  EXPECT_EQ(sink.Total(), here.sink.Total());
}

// Faults: recognised text, page progress or the pages recognised lost on the way back.
TEST(ExtractHelperTest, ScansAreRecognisedInTheHelper) {
  extract::ExtractHelper helper(HelperSetup());
  samples::CollectingSink sink;
  extract::RecognitionSummary summary;
  std::vector<std::pair<int, int>> pages;
  const extract::Result read =
      helper.Extract(Scan("pages.tif"), sink, summary,
                     [&](int page, int count) { pages.emplace_back(page, count); });
  EXPECT_EQ(read.Kind, Outcome::Extracted) << read.Reason;
  EXPECT_NE(sink.AllText().find("Helga Sommer"), std::string::npos);
  EXPECT_EQ(pages, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
  EXPECT_EQ(summary.Pages, 3);
}

}  // namespace
