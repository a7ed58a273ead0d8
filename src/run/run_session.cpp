#include "run/run_session.h"

#include <algorithm>
#include <thread>
#include <type_traits>
#include <utility>

#include "platform/utf8.h"
#include "support/field_list.h"
#include "support/path_name.h"
#include "support/text_file.h"

namespace {

/// Reads the file at path whole into content when it is no larger than the documents whose text
/// is read; false when it is larger or cannot be read.
bool ReadDocument(platform::System& system, const std::u16string& path, std::string& content) {
  std::optional<platform::SystemError> failure;
  const std::unique_ptr<platform::ReadableFile> file = system.OpenForReading(path, failure);
  if (!file) return false;
  const std::int64_t length = file->Length();
  if (length < 0 || static_cast<std::uint64_t>(length) > DocumentSearch::WholeBytesLimit()) {
    return false;
  }
  content.resize(static_cast<std::size_t>(length));
  std::size_t done = 0;
  while (done < content.size()) {
    std::size_t count = 0;
    if (file->ReadAt(static_cast<std::int64_t>(done), content.data() + done, content.size() - done,
                     count) ||
        count == 0) {
      return false;
    }
    done += count;
  }
  return true;
}

}  // namespace

RunSession::RunSession(RunOptions options, RunObserver& observer)
    : options_(std::move(options)),
      observer_(observer),
      log_(
          options_.System,
          [this]() -> std::optional<std::u16string> {
            switch (options_.Log) {
              case LogDestination::BesideProgram:
                return programFolder_ + BaseName() + u".log";
              case LogDestination::File:
                return options_.LogFile;
              case LogDestination::None:
                break;
            }
            return std::nullopt;
          },
          [this] { return configFile_; }),
      rules_(options_.System.CodePage()),
      catalog_(options_.System.PathSeparator()) {}

RunSession::~RunSession() = default;

std::u16string RunSession::ProgramPath() const {
  return options_.ProgramPathOverride ? *options_.ProgramPathOverride : System().ExecutablePath();
}

std::u16string RunSession::BaseName() const {
  const std::u16string path = ProgramPath();
  const std::size_t slash = path.rfind(System().PathSeparator());
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos && dot > 0) name.resize(dot);
  return name;
}

RunOutcome RunSession::Outcome() const {
  RunOutcome outcome = outcome_;
  outcome.LogLinesLost = log_.LinesLost();
  outcome.LogFailure = log_.Failure();
  outcome.LogIsConfiguration = log_.HitProtectedFile();
  return outcome;
}

void RunSession::Load() {
  observer_.ProgressChanged(0);
  SetStatus(u"Start");
  observer_.FoldersCounted(0);
  observer_.FilesCounted(0, 0);

  walkAhead_.reset();
  foldersShown_ = 0;
  filesShown_ = 0;
  sizeShown_ = 0;
  searchedUnshown_ = 0;
  rules_ = FileTypeRules(System().CodePage());
  catalog_ = FileCatalog(System().PathSeparator());
  persons_ = PersonTable();
  hits_ = HitTable();
  unreadable_.clear();
  notExtracted_.clear();
  recognised_.clear();
  pagesRecognised_ = 0;
  pagesFromCache_ = 0;
  coverage_ = RunCoverage();
  roots_ = RootOverlaps();

  settings_ = SearchSettings{};
  settings_.Documents = System().ReadsDocumentsByDefault() && DocumentsReadable()
                            ? DocumentReading::On
                            : DocumentReading::Off;
  settings_.Encodings = platform::DefaultEncodings(System().TextFiles());
  settings_.Reading = options_.Reading;
  settings_.Workers = options_.SearchWorkers > 0
                          ? options_.SearchWorkers
                          : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  // Recognition is on by default where it is built, in German and English, as far as their data
  // is installed; under Windows rules it is off.
  settings_.Recognition = RecognitionSettings{};
  if (!RecognitionReadable()) {
    settings_.Recognition.State = RecognitionState::NotBuilt;
  } else if (!System().ReadsDocumentsByDefault()) {
    settings_.Recognition.State = RecognitionState::Off;
  } else {
    for (const char* language : {"deu", "eng"}) {
      if (RecognitionLanguageInstalled(language))
        settings_.Recognition.Languages.push_back(language);
    }
    settings_.Recognition.State = settings_.Recognition.Languages.empty()
                                      ? RecognitionState::LanguageMissing
                                      : RecognitionState::On;
  }

  const char16_t separator = System().PathSeparator();
  const std::u16string program = ProgramPath();
  const std::size_t slash = program.rfind(separator);
  programFolder_ =
      slash == std::u16string::npos ? std::u16string(u".") : program.substr(0, slash + 1);
  if (programFolder_.empty() || programFolder_.back() != separator) programFolder_ += separator;
  // The configuration is read and its relative FOLDER paths are taken from its own folder, made
  // full from the working folder when it was named relatively, so that every path shown and
  // logged is a full one and the result does not depend on where the program was started.
  std::u16string config = options_.ConfigFileOverride ? *options_.ConfigFileOverride
                                                      : programFolder_ + BaseName() + u".cfg";
  if (separator == u'\\') std::ranges::replace(config, u'/', separator);
  configFile_ = ResolvePath(System().CurrentFolder(), config, separator);
  configFolder_ = configFile_.substr(0, configFile_.rfind(separator) + 1);

  stopRequested_ = false;
  log_.Write(u"START " + BaseName());
}

void RunSession::Run() {
  // The program's own configuration counts as missing when hidden; a file named explicitly by a
  // front end is taken as it is.
  const bool exists = System().IsRegularFile(configFile_) &&
                      (options_.ConfigFileOverride || !System().IsHidden(configFile_));
  if (exists) {
    ReadConfiguration();
  } else {
    outcome_.Configuration = ConfigurationState::Missing;
    ReportError(u"Die Konfigurationsdatei wurde nicht gefunden.");
  }
  Search();
  outcome_.Stopped = stopRequested_;
}

void RunSession::ReadConfiguration() {
  LineReader reader(System());
  if (auto error = reader.Open(configFile_)) {
    // A configuration that exists but cannot be read is reported, and the run goes on without it.
    outcome_.Configuration = ConfigurationState::Unreadable;
    ReportError(u"Die Konfigurationsdatei kann nicht gelesen werden. " + error->Description);
    return;
  }
  // With several search workers the folders are walked on a thread of their own: the search
  // starts with the first files while the walk goes on.
  if (settings_.Workers > 1) walkAhead_ = std::make_unique<WalkAhead>(System(), catalog_);
  while (!reader.AtEnd()) {
    if (stopRequested_) break;
    SetStatus(u"lade Konfigurationen...");
    ++configLine_;
    ExecuteLine(reader.ReadLine());
    // A configuration of many lines keeps the window answering, and a stop is seen before the
    // next line.
    if (!stopRequested_) Checkpoint();
  }
  configLine_ = 0;
  reader.Close();
  if (walkAhead_) walkAhead_->Close();
  outcome_.Configuration = ConfigurationState::Read;
}

void RunSession::ExecuteLine(const std::u16string& line) {
  const ConfigLine parsed = ParseConfigLine(line, System().CodePage());
  if (parsed.Logged) log_.Write(u"CONFIG: " + line);
  if (parsed.Error) {
    ReportError(*parsed.Error);
    return;
  }
  std::visit(
      [this](const auto& command) {
        using Command = std::decay_t<decltype(command)>;
        if constexpr (std::is_same_v<Command, FolderCommand>) {
          std::u16string path = ResolvePath(configFolder_, command.Path, System().PathSeparator());
          // The walk ahead takes the rules as they are now: a later FILETYPE line does not
          // change what this folder's walk keeps.
          if (walkAhead_) {
            walkAhead_->Add(std::move(path), rules_, configLine_);
          } else {
            FolderWalker(System(), rules_, catalog_, *this).Walk(path);
          }
        } else if constexpr (std::is_same_v<Command, NameCommand>) {
          AddPerson(command.Name, command.Terms);
        } else if constexpr (std::is_same_v<Command, SearchModeCommand>) {
          settings_.Mode = command.Mode;
        } else if constexpr (std::is_same_v<Command, DocumentsCommand>) {
          if (command.Reading == DocumentReading::On && !DocumentsReadable()) {
            ReportError(u"Dokumente lesen ist in dieser Version nicht möglich.");
          } else {
            settings_.Documents = command.Reading;
          }
        } else if constexpr (std::is_same_v<Command, FileTypeCommand>) {
          rules_.Add(command.Pattern, command.MaxSize);
        } else if constexpr (std::is_same_v<Command, EncodingCommand>) {
          settings_.Encodings = command.Encodings;
        } else if constexpr (std::is_same_v<Command, RecognitionCommand>) {
          SetRecognition(command);
        }
      },
      parsed.Action);
}

void RunSession::SetRecognition(const RecognitionCommand& command) {
  if (!command.On) {
    settings_.Recognition.State = RecognitionState::Off;
    settings_.Recognition.Languages.clear();
    return;
  }
  if (!RecognitionReadable()) {
    ReportError(u"Texterkennung ist in dieser Version nicht möglich.");
    return;
  }
  std::vector<std::string> languages = command.Languages;
  if (languages.empty()) languages = {"deu", "eng"};
  // One language without data leaves the line without effect.
  for (const std::string& language : languages) {
    if (!RecognitionLanguageInstalled(language)) {
      ReportError(u"OCR-Sprache \"" + platform::FromUtf8(language) + u"\" ist nicht installiert.");
      return;
    }
  }
  settings_.Recognition.State = RecognitionState::On;
  settings_.Recognition.Languages = std::move(languages);
}

RecognisedTextCache* RunSession::Cache() {
  if (!cache_) {
    const std::string folder = options_.RecognitionCacheFolder
                                   ? *options_.RecognitionCacheFolder
                                   : RecognisedTextCache::DefaultFolder();
    if (folder.empty() || !RecognitionReadable()) return nullptr;
    cache_ = std::make_unique<RecognisedTextCache>(folder, options_.Clock);
  }
  return cache_.get();
}

void RunSession::AddPerson(const std::u16string& name, const std::u16string& terms) {
  if (persons_.Find(name)) return;
  // A person no term can fail for is "found" in every file read; the coverage says so. An empty
  // field is an empty term, which stands in every file that is not empty.
  const bool noTerms = FieldCount(terms, u"|") <= 0;
  const bool emptyTerm = !noTerms && terms.find(u"||") != std::u16string::npos;
  if (noTerms || emptyTerm) {
    coverage_.PersonsWithoutTerms.Add([&] { return TermlessPerson{name, configLine_, emptyTerm}; });
  }
  if (const auto person = persons_.Add(name, terms)) observer_.PersonAdded(*person);
}

void RunSession::Search() {
  if (stopRequested_) {
    EndWalk();
    return;
  }
  const bool recognising = settings_.Documents == DocumentReading::On &&
                           settings_.Recognition.State == RecognitionState::On;
  settings_.Recognition.Cache = recognising ? Cache() : nullptr;
  // PDFs and scans are read in helper processes where the helper program is found: beside the
  // running executable itself, never beside the file that stands in for it (a configuration in
  // a data folder must not choose a program to run).
  settings_.Recognition.Helper =
      settings_.Documents == DocumentReading::On
          ? FindExtractHelper(platform::ToUtf8(System().ExecutablePath()))
          : std::string();
  ContentSearch search(System(), catalog_, persons_, settings_, *this, walkAhead_.get());
  activeSearch_ = &search;
  const bool finished = search.Run();
  activeSearch_ = nullptr;
  EndWalk();
  // Text of files not met for long is dropped after a whole run, which has met all it can.
  if (finished && cache_ && pagesRecognised_ > 0 && cache_->Handle() != nullptr) cache_->Expire();
  if (cache_) cacheProblem_ = cache_->Problem();
}

void RunSession::End() {
  stopRequested_ = true;
  EndWalk();
  log_.Write(u"EXIT");
}

std::optional<platform::SystemError> RunSession::DeleteFound(const std::u16string& path,
                                                             std::optional<FileId> file) {
  log_.Write(u"KILL: " + path);
  // The text recognised in the file leaves the cache with it: an erased person must not live
  // on there. Only documents read whole can have such text.
  std::string content;
  RecognisedTextCache* cache = cache_ && cache_->Handle() != nullptr ? cache_.get() : nullptr;
  const bool mayHaveText = cache != nullptr && ReadDocument(System(), path, content);
  // A hit's own path deletes the very file the walk found, reached from its root without
  // following links. Any other text is taken as it is.
  const auto error = file && catalog_.FilePath(*file) == path
                         ? System().DeleteFoundFile(catalog_.Locate(*file))
                         : System().DeleteFile(path);
  // The deleted file may be one the search has yet to reach: it must then find it gone.
  if (activeSearch_ != nullptr) activeSearch_->FilesChanged();
  if (error) log_.Write(u"ERROR: " + error->Description);
  if (!error && mayHaveText) cache->Forget(content);
  return error;
}

void RunSession::ReportError(const std::u16string& text) {
  ++outcome_.ErrorsReported;
  observer_.ErrorReported(text, configLine_);
}

void RunSession::SetStatus(std::u16string_view text) {
  status_ = text;
  observer_.StatusChanged(status_);
}

bool RunSession::Checkpoint() {
  if (stopRequested_) return false;
  TellWalk();
  if (!observer_.Checkpoint()) stopRequested_ = true;
  return !stopRequested_;
}

// ---- The walk. ----

void RunSession::FolderEntered(FolderId) {
  observer_.FoldersCounted(catalog_.FolderCount());
  SetStatus(u"lese Verzeichnis aus...");
}

void RunSession::FolderNotListed(FolderId folder, const platform::SystemError& failure) {
  WalkFolderNotListed(folder, failure, configLine_);
}

void RunSession::WalkFolderNotListed(FolderId folder, const platform::SystemError& failure,
                                     std::int32_t line) {
  if (failure.Kind == platform::ErrorKind::PseudoFileSystem) {
    ++coverage_.PseudoFileSystems;
    return;
  }
  // The path is composed only for the listed entries: a tree of many unreadable folders costs
  // one increment per folder past the limit.
  const auto entry = [this, folder, &failure, line] {
    std::u16string path = catalog_.FolderPath(folder);
    if (path.size() > 1) path.pop_back();  // the root "/" keeps its separator
    return MissedFolder{std::move(path), failure.Description, line};
  };
  // A FOLDER path that names nothing is a mistake in the configuration; a folder below a root
  // that cannot be listed is a gap in the search.
  const bool missingRoot = catalog_.IsRoot(folder) && failure.Kind == platform::ErrorKind::NotFound;
  (missingRoot ? coverage_.FoldersMissing : coverage_.FoldersUnreadable).Add(entry);
}

void RunSession::RootListed(FolderId folder) {
  WalkRootListed(folder, configLine_);
}

void RunSession::WalkRootListed(FolderId folder, std::int32_t line) {
  const std::u16string path = catalog_.FolderPath(folder);
  if (const auto earlierLine = roots_.Note(System(), path, line)) {
    coverage_.OverlappingFolders.Add([&] {
      std::u16string shown = path;
      if (shown.size() > 1) shown.pop_back();
      return OverlappingFolder{std::move(shown), line, *earlierLine};
    });
  }
}

void RunSession::FileKept(FileId) {
  observer_.FilesCounted(catalog_.FileCount(), catalog_.TotalSize());
}

void RunSession::EntrySkipped(SkippedEntry entry) {
  WalkEntriesSkipped(entry, 1);
}

void RunSession::WalkEntriesSkipped(SkippedEntry entry, std::int64_t count) {
  switch (entry) {
    case SkippedEntry::Hidden:
      coverage_.HiddenEntries += count;
      break;
    case SkippedEntry::FolderLink:
      coverage_.FolderLinks += count;
      break;
    case SkippedEntry::Special:
      coverage_.SpecialFiles += count;
      break;
    case SkippedEntry::NotAccepted:
      coverage_.FilesNotAccepted += count;
      break;
    case SkippedEntry::TooLarge:
      coverage_.FilesTooLarge += count;
      break;
  }
}

// ---- The walk ahead, told on the session's thread. ----

void RunSession::TellWalk() {
  if (walkAhead_) walkAhead_->Tell(*this);
}

void RunSession::EndWalk() {
  if (!walkAhead_) return;
  walkAhead_->Stop();
  walkAhead_->Tell(*this);
  ShowFileCounts(filesShown_);  // with the sizes the search learned last
  walkAhead_.reset();
}

void RunSession::WalkCounted(std::size_t folders, std::size_t files) {
  if (folders != foldersShown_) {
    foldersShown_ = folders;
    observer_.FoldersCounted(folders);
    // Once the search has begun, the status line shows the file being searched.
    if (activeSearch_ == nullptr) SetStatus(u"lese Verzeichnis aus...");
  }
  ShowFileCounts(files);
}

void RunSession::ShowFileCounts(std::size_t files) {
  // The walk ahead leaves most sizes to the search: the total grows as files are read.
  const double size = catalog_.TotalSize();
  searchedUnshown_ = 0;
  if (files == filesShown_ && size == sizeShown_) return;
  filesShown_ = files;
  sizeShown_ = size;
  observer_.FilesCounted(files, size);
}

// ---- The search. ----

void RunSession::SearchStarted() {
  SetStatus(u"durchsuche Dateien...");
}

void RunSession::FileStarted(FileId file) {
  SetStatus(catalog_.FileName(file));
}

void RunSession::HitFound(PersonId person, FileId file) {
  log_.Write(u"found new file: " + catalog_.FilePath(file));
  hits_.Add(person, file);
  observer_.HitAdded(person, file);
}

void RunSession::FileUnreadable(FileId file, const platform::SystemError& failure) {
  log_.Write(u"ERROR: cannot read file: " + catalog_.FilePath(file));
  unreadable_.push_back(file);
  coverage_.FilesUnreadable.Add([&] { return MissedFile{file, failure.Description}; });
}

void RunSession::DocumentNotExtracted(FileId file, std::string reason, ContentGap gap) {
  // Content that was not read at all leaves the answer incomplete; a damaged part does not, as
  // everything that could be read of the file was searched.
  if (gap != ContentGap::DamagedPart) ++coverage_.DocumentsUnread;
  if (gap == ContentGap::NotBuiltIn) ++coverage_.ArchivesNotBuiltIn;
  notExtracted_.push_back(NotExtractedFile{file, std::move(reason), gap});
}

void RunSession::PagesRecognised(FileId file, const RecognitionCounts& counts) {
  pagesRecognised_ += counts.Pages;
  pagesFromCache_ += counts.PagesFromCache;
  const RecognisedFile entry{file, counts.Pages, counts.PagesFromCache, counts.Confidence};
  recognised_.push_back(entry);
  if (counts.Confidence < kLegibleConfidence) coverage_.PoorlyLegible.Add([&] { return entry; });
}

void RunSession::PageRecognising(FileId file, int page, int pages) {
  SetStatus(u"Texterkennung: " + catalog_.FileName(file) + u", Seite " +
            platform::FromUtf8(std::to_string(page)) + u" von " +
            platform::FromUtf8(std::to_string(pages)));
}

void RunSession::FileSearched(FileId file, double searched) {
  // The sizes learned meanwhile are shown now and then, not per file.
  constexpr std::int32_t kSizeShownEvery = 64;
  if (walkAhead_ && ++searchedUnshown_ >= kSizeShownEvery) ShowFileCounts(filesShown_);
  observer_.ProgressChanged(searched);
  observer_.SearchAdvanced(static_cast<std::size_t>(file) + 1, pagesRecognised_);
}

void RunSession::SearchFinished() {
  TellWalk();  // the last counts of the walk before the end is told
  SetStatus(u"fertig");
}
