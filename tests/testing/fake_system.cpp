#include "testing/fake_system.h"

#include "platform/code_page.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

using platform::EntryKind;
using platform::ErrorKind;
using platform::SystemError;

SystemError ErrorOf(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::NotFound:
      return {kind, u"Datei nicht gefunden"};
    case ErrorKind::AccessDenied:
      return {kind, u"Zugriff verweigert"};
    case ErrorKind::PseudoFileSystem:
      return {kind, u"Pseudo-Dateisystem, nicht durchsucht"};
    case ErrorKind::Replaced:
      return platform::FileReplacedError();
    case ErrorKind::Protected:
      return platform::FileProtectedError();
    case ErrorKind::Other:
      break;
  }
  return {kind, u"E/A-Fehler"};
}

}  // namespace

class FakeSystem::Listing : public platform::DirectoryEnumeration {
 public:
  Listing(FakeSystem& system, std::u16string folder, std::vector<Entry> entries)
      : system_(system), folder_(std::move(folder)), entries_(std::move(entries)) {
    ++system_.OpenNow;
  }
  ~Listing() override { --system_.OpenNow; }
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;

  bool Next() override {
    ++system_.Fetches;
    return ++next_ <= entries_.size();
  }
  const std::u16string& Name() const override { return entries_[next_ - 1].Name; }
  EntryKind Kind() const override { return entries_[next_ - 1].Kind; }
  std::int64_t Size() override {
    const auto file = system_.files_.find(folder_ + Name());
    return file == system_.files_.end() ? 0 : file->second.Size;
  }
  std::optional<platform::FileIdentity> Identity() override {
    return system_.IdentityOf(folder_ + Name());
  }

 private:
  FakeSystem& system_;
  std::u16string folder_;
  std::vector<Entry> entries_;
  std::size_t next_ = 0;
};

// Holds its own copy of the bytes, so reading needs no lock; Read and ReadAt share nothing but
// the bytes, so they may run on two threads at once.
// A mapping holds a copy of its bytes; a scripted cut turns those from the cut on into zeros,
// as the real system's mapping shows a file cut short under it.
class FakeMapped : public platform::MappedBytes {
 public:
  FakeMapped(std::string bytes, std::size_t intact, std::optional<SystemError> failure)
      : bytes_(std::move(bytes)), intact_(intact), failure_(std::move(failure)) {
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(intact_), bytes_.end(), '\0');
  }
  std::string_view Bytes() const override { return bytes_; }
  std::size_t Intact(std::optional<SystemError>& failure, platform::MappedCheck) const override {
    failure = failure_;
    return intact_;
  }

 private:
  std::string bytes_;
  std::size_t intact_;
  std::optional<SystemError> failure_;
};

class FakeSystem::Reader : public platform::ReadableFile {
 public:
  using Cut = std::optional<std::pair<std::size_t, std::optional<SystemError>>>;
  Reader(std::string bytes, std::int64_t length, std::size_t failAt,
         std::optional<SystemError> failure, Cut cut)
      : bytes_(std::move(bytes)),
        length_(length),
        failAt_(failAt),
        failure_(std::move(failure)),
        cut_(std::move(cut)) {}

  std::optional<SystemError> Read(char* buffer, std::size_t size, std::size_t& count) override {
    auto failure = ReadAt(static_cast<std::int64_t>(position_), buffer, size, count);
    position_ += count;
    return failure;
  }
  std::optional<SystemError> ReadAt(std::int64_t offset, char* buffer, std::size_t size,
                                    std::size_t& count) override {
    count = 0;
    const auto at = static_cast<std::size_t>(offset);
    if (failure_ && at >= failAt_) return failure_;
    if (at >= bytes_.size()) return std::nullopt;
    count = std::min(size, bytes_.size() - at);
    if (failure_) count = std::min(count, failAt_ - at);
    std::memcpy(buffer, bytes_.data() + at, count);
    return std::nullopt;
  }
  std::int64_t Length() const override { return length_; }
  // Like the real system: a part the file no longer reaches over (or that fails to read) is
  // not mapped.
  std::unique_ptr<platform::MappedBytes> Map(std::int64_t offset, std::size_t size) override {
    const auto at = static_cast<std::size_t>(offset);
    if (at + size > bytes_.size() || (failure_ && at + size > failAt_)) return nullptr;
    std::size_t intact = size;
    std::optional<SystemError> failure;
    if (cut_ && cut_->first < at + size) {
      intact = cut_->first > at ? cut_->first - at : 0;
      failure = cut_->second;
    }
    return std::make_unique<FakeMapped>(bytes_.substr(at, size), intact, std::move(failure));
  }

 private:
  std::string bytes_;
  std::int64_t length_;
  std::size_t failAt_;
  std::optional<SystemError> failure_;
  Cut cut_;
  std::size_t position_ = 0;
};

FakeSystem::FakeSystem(Rules rules)
    : rules_(rules),
      separator_(rules == Rules::Windows ? u'\\' : u'/'),
      executable_(rules == Rules::Windows ? u"C:\\Programme\\fundort.exe" : u"/opt/fundort") {}

void FakeSystem::AddFile(const std::u16string& path, std::string bytes, Attribute attribute) {
  const std::lock_guard lock(mutex_);
  const auto size = static_cast<std::int64_t>(bytes.size());
  files_[path] = File{std::move(bytes), size, attribute, nextNumber_++};
  const auto [folder, name] = Split(path);
  Enter(folder, name, EntryKind::File);
}

void FakeSystem::AddSizedFile(const std::u16string& path, std::int64_t size) {
  const std::lock_guard lock(mutex_);
  AddFile(path, {});
  files_[path].Size = size;
}

void FakeSystem::AddFolder(const std::u16string& path) {
  const std::lock_guard lock(mutex_);
  const auto [parent, name] = Split(path);
  Enter(parent, name, EntryKind::Folder);
  folders_.try_emplace(path + separator_);
}

void FakeSystem::AddEntry(const std::u16string& folder, const std::u16string& name,
                          EntryKind kind) {
  const std::lock_guard lock(mutex_);
  Enter(folder, name, kind);
}

void FakeSystem::LinkFile(const std::u16string& path, const std::u16string& target) {
  fileLinks_[path] = target;
  const auto [folder, name] = Split(path);
  Enter(folder, name, EntryKind::File);
}

void FakeSystem::Fail(Operation operation, const std::u16string& path, ErrorKind kind) {
  const std::lock_guard lock(mutex_);
  failures_[{operation, path}] = kind;
}

void FakeSystem::FailReadAfter(const std::u16string& path, std::size_t good, ErrorKind kind) {
  const std::lock_guard lock(mutex_);
  failures_[{Operation::Read, path}] = kind;
  readFailsAfter_[path] = good;
}

void FakeSystem::ChangeWhenOpened(const std::u16string& path, std::string bytes) {
  const std::lock_guard lock(mutex_);
  changedWhenOpened_[path] = std::move(bytes);
}

bool FakeSystem::Exists(const std::u16string& path) const {
  const std::lock_guard lock(mutex_);
  return files_.count(path) != 0;
}

std::string FakeSystem::Contents(const std::u16string& path) const {
  const std::lock_guard lock(mutex_);
  const auto file = files_.find(path);
  return file == files_.end() ? std::string() : file->second.Bytes;
}

platform::TextConvention FakeSystem::TextFiles() const {
  return rules_ == Rules::Windows ? platform::TextConvention::CodePage
                                  : platform::TextConvention::Utf8;
}

const platform::CodePage& FakeSystem::CodePage() const {
  // Text conversion is no matter of files and folders: a fixed code page keeps the tests' bytes
  // the same whatever the machine's code page is.
  return platform::Windows1252CodePage();
}

std::unique_ptr<platform::DirectoryEnumeration> FakeSystem::OpenDirectory(
    const std::u16string& path, std::optional<SystemError>& failure) {
  const std::lock_guard lock(mutex_);
  failure = FailureOf(Operation::List, path);
  if (failure) return nullptr;
  const auto folder = folders_.find(path);
  if (folder == folders_.end()) {
    failure = ErrorOf(ErrorKind::NotFound);
    return nullptr;
  }
  return std::make_unique<Listing>(*this, path, folder->second);
}

bool FakeSystem::IsHidden(const std::u16string& path) {
  const std::lock_guard lock(mutex_);
  if (rules_ == Rules::Windows) {
    const auto file = files_.find(path);
    return file != files_.end() && file->second.Hidden == Attribute::Hidden;
  }
  const std::u16string name = Split(path).second;
  return !name.empty() && name.front() == u'.';
}

std::optional<platform::FileIdentity> FakeSystem::IdentityOf(const std::u16string& given) {
  const std::lock_guard lock(mutex_);
  // ".." steps up a folder and a trailing separator names the folder itself, as on a real
  // system (resolved here by the text, there being no folder links).
  std::u16string path;
  for (std::size_t start = 0; start <= given.size();) {
    std::size_t end = given.find(separator_, start);
    if (end == std::u16string::npos) end = given.size();
    const std::u16string_view part = std::u16string_view(given).substr(start, end - start);
    if (part == u"..") {
      const std::size_t cut = path.rfind(separator_);
      path.resize(cut == std::u16string::npos ? 0 : cut);
    } else if (!part.empty() || start == 0) {
      if (start != 0) path += separator_;
      path += part;
    }
    start = end + 1;
  }
  if (const auto file = files_.find(Resolve(path)); file != files_.end()) {
    return platform::FileIdentity{1, file->second.Number};
  }
  if (folders_.count(path + separator_) != 0) {
    return platform::FileIdentity{2, std::hash<std::u16string>()(path + separator_)};
  }
  return std::nullopt;
}

std::unique_ptr<platform::ReadableFile> FakeSystem::OpenForReading(
    const std::u16string& path, std::optional<SystemError>& failure) {
  const std::lock_guard lock(mutex_);
  failure = FailureOf(Operation::Open, path);
  if (failure) return nullptr;
  const auto file = files_.find(path);
  if (file == files_.end()) {
    failure = ErrorOf(ErrorKind::NotFound);
    return nullptr;
  }
  const auto changed = changedWhenOpened_.find(path);
  const auto failsAfter = readFailsAfter_.find(path);
  const auto cut = mappingCuts_.find(path);
  return std::make_unique<Reader>(
      changed != changedWhenOpened_.end() ? changed->second : file->second.Bytes,
      static_cast<std::int64_t>(file->second.Bytes.size()),
      failsAfter != readFailsAfter_.end() ? failsAfter->second : 0,
      FailureOf(Operation::Read, path),
      cut != mappingCuts_.end() ? Reader::Cut(cut->second) : std::nullopt);
}

void FakeSystem::CutMapping(const std::u16string& path, std::size_t at,
                            std::optional<ErrorKind> kind) {
  const std::lock_guard lock(mutex_);
  mappingCuts_[path] = {at, kind ? std::optional(ErrorOf(*kind)) : std::nullopt};
}

std::optional<SystemError> FakeSystem::AppendToFile(
    const std::u16string& path, std::string_view bytes,
    std::optional<platform::FileIdentity> protectedFile) {
  const std::lock_guard lock(mutex_);
  if (auto failure = FailureOf(Operation::Append, path)) return failure;
  if (folders_.count(path + separator_) != 0) return ErrorOf(ErrorKind::AccessDenied);
  if (protectedFile.has_value() && IdentityOf(path) == protectedFile) {
    return platform::FileProtectedError();
  }
  const std::u16string target = Resolve(path);
  if (!Exists(target)) AddFile(target, {});
  File& file = files_[target];
  file.Bytes += bytes;
  file.Size = static_cast<std::int64_t>(file.Bytes.size());
  return std::nullopt;
}

std::optional<SystemError> FakeSystem::DeleteFile(const std::u16string& path) {
  const std::lock_guard lock(mutex_);
  if (auto failure = FailureOf(Operation::Delete, path)) return failure;
  return Erase(Resolve(path));
}

std::optional<SystemError> FakeSystem::DeleteFoundFile(const platform::FoundFile& file) {
  const std::lock_guard lock(mutex_);
  std::u16string path = file.Root;
  for (const std::u16string& name : file.Names)
    path += name + separator_;
  if (!file.Names.empty()) path.pop_back();
  if (auto failure = FailureOf(Operation::Delete, path)) return failure;
  if (file.Identity.has_value() && Exists(path) && IdentityOf(path) != file.Identity) {
    return platform::FileReplacedError();
  }
  return Erase(path);
}

std::u16string FakeSystem::Resolve(const std::u16string& path) const {
  const auto link = fileLinks_.find(path);
  return link == fileLinks_.end() ? path : link->second;
}

std::optional<SystemError> FakeSystem::Erase(const std::u16string& path) {
  if (files_.erase(path) == 0) return ErrorOf(ErrorKind::NotFound);
  const auto [folder, name] = Split(path);
  // A named copy: older compilers cannot capture a structured binding.
  const auto& entryName = name;
  std::erase_if(folders_[folder],
                [&entryName](const Entry& entry) { return entry.Name == entryName; });
  return std::nullopt;
}

std::optional<SystemError> FakeSystem::StartTextEditor(const std::u16string& path) {
  if (auto failure = FailureOf(Operation::Editor, path)) return failure;
  Edited.push_back(path);
  return std::nullopt;
}

std::optional<SystemError> FakeSystem::FailureOf(Operation operation,
                                                 const std::u16string& path) const {
  const auto failure = failures_.find({operation, path});
  if (failure == failures_.end()) return std::nullopt;
  return ErrorOf(failure->second);
}

std::pair<std::u16string, std::u16string> FakeSystem::Split(const std::u16string& path) const {
  const std::size_t separator = path.rfind(separator_);
  if (separator == std::u16string::npos) return {std::u16string(), path};
  return {path.substr(0, separator + 1), path.substr(separator + 1)};
}

void FakeSystem::Enter(const std::u16string& folder, const std::u16string& name, EntryKind kind) {
  if (!folders_.contains(folder)) {
    folders_.try_emplace(folder);
    // The folder itself is an entry of the folder above, unless it is a root.
    if (!folder.empty()) {
      const auto [parent, own] = Split(folder.substr(0, folder.size() - 1));
      if (!parent.empty() && !own.empty()) Enter(parent, own, EntryKind::Folder);
    }
  }
  std::vector<Entry>& entries = folders_[folder];
  const bool listed = std::any_of(entries.begin(), entries.end(),
                                  [&name](const Entry& entry) { return entry.Name == name; });
  if (!listed && !name.empty()) entries.push_back(Entry{name, kind});
}
