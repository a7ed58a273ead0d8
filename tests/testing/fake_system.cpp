#include "testing/fake_system.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

using platform::EntryKind;
using platform::ErrorKind;
using platform::SystemError;
using Error = FakeSystem::Error;

// A copy of the mapped bytes; those from a scripted cut on read as zeros, as a real mapping of
// a file cut short under it does.
class FakeMapped : public platform::MappedBytes {
 public:
  FakeMapped(std::string bytes, std::size_t intact, Error failure)
      : bytes_(std::move(bytes)), intact_(intact), failure_(std::move(failure)) {
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(intact_), bytes_.end(), '\0');
  }
  std::string_view Bytes() const override { return bytes_; }
  std::size_t Intact(Error& failure, platform::MappedCheck) const override {
    failure = failure_;
    return intact_;
  }

 private:
  std::string bytes_;
  std::size_t intact_;
  Error failure_;
};

}  // namespace

SystemError FakeSystem::ErrorOf(ErrorKind kind) {
  if (kind == ErrorKind::Replaced) return platform::FileReplacedError();
  if (kind == ErrorKind::Protected) return platform::FileProtectedError();
  return {kind, kind == ErrorKind::NotFound           ? u"Datei nicht gefunden"
                : kind == ErrorKind::AccessDenied     ? u"Zugriff verweigert"
                : kind == ErrorKind::PseudoFileSystem ? u"Pseudo-Dateisystem, nicht durchsucht"
                                                      : u"E/A-Fehler"};
}

class FakeSystem::Listing : public platform::DirectoryEnumeration {
 public:
  Listing(FakeSystem& system, Path folder, std::vector<Entry> entries)
      : system_(system), folder_(std::move(folder)), entries_(std::move(entries)) {
    ++system_.OpenNow;
  }
  ~Listing() override { --system_.OpenNow; }

  bool Next() override { return ++next_ <= entries_.size(); }
  const Path& Name() const override { return entries_[next_ - 1].Name; }
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
  Path folder_;
  std::vector<Entry> entries_;
  std::size_t next_ = 0;
};

// Holds its own copy of the bytes, so Read and ReadAt need no lock and may run on two threads.
class FakeSystem::Reader : public platform::ReadableFile {
 public:
  Reader(std::string bytes, std::int64_t length, Error failure, ReadScript script)
      : bytes_(std::move(bytes)), length_(length), failure_(std::move(failure)), script_(script) {
    if (failure_) readable_ = std::min(readable_, script_.FailsAfter);
  }

  Error Read(char* buffer, std::size_t size, std::size_t& count) override {
    auto failure = ReadAt(static_cast<std::int64_t>(position_), buffer, size, count);
    position_ += count;
    return failure;
  }
  Error ReadAt(std::int64_t offset, char* buffer, std::size_t size, std::size_t& count) override {
    const auto at = static_cast<std::size_t>(offset);
    count = at < readable_ ? std::min(size, readable_ - at) : 0;
    if (count > 0) std::memcpy(buffer, bytes_.data() + at, count);
    return failure_ && at >= script_.FailsAfter ? failure_ : std::nullopt;
  }
  std::int64_t Length() const override { return length_; }
  // Like a real system, it maps no part the file no longer reaches over or that fails to read.
  std::unique_ptr<platform::MappedBytes> Map(std::int64_t offset, std::size_t size) override {
    const auto at = static_cast<std::size_t>(offset);
    if (at + size > readable_) return nullptr;
    std::size_t intact = size;
    Error failure;
    if (const auto& cut = script_.MappingCut; cut && cut->first < at + size) {
      intact = cut->first > at ? cut->first - at : 0;
      failure = cut->second;
    }
    return std::make_unique<FakeMapped>(bytes_.substr(at, size), intact, std::move(failure));
  }

 private:
  std::string bytes_;
  std::int64_t length_;
  Error failure_;
  ReadScript script_;
  std::size_t readable_ = bytes_.size();  ///< bytes read before the end or the failure
  std::size_t position_ = 0;
};

void FakeSystem::AddFile(const Path& path, const std::string& bytes, Attribute attribute) {
  const std::lock_guard lock(mutex_);
  files_[path] = File{bytes, static_cast<std::int64_t>(bytes.size()), attribute, nextNumber_++};
  Enter(path, EntryKind::File);
}

void FakeSystem::AddFolder(const Path& path) {
  const std::lock_guard lock(mutex_);
  Enter(path, EntryKind::Folder);
  folders_.try_emplace(path + separator_);
}

void FakeSystem::LinkFile(const Path& path, const Path& target) {
  const std::lock_guard lock(mutex_);
  fileLinks_[path] = target;
  Enter(path, EntryKind::File);
}

std::unique_ptr<platform::DirectoryEnumeration> FakeSystem::OpenDirectory(const Path& path,
                                                                          Error& failure) {
  failure = FailureOf(Operation::List, path);
  if (!failure && !folders_.contains(path)) failure = ErrorOf(ErrorKind::NotFound);
  return failure ? nullptr : std::make_unique<Listing>(*this, path, folders_.at(path));
}

std::optional<platform::FileIdentity> FakeSystem::IdentityOf(const Path& given) {
  // ".." steps up a folder (by the text: no folder links here), a trailing separator is dropped.
  Path path;
  for (std::size_t start = 0, end = 0; end != Path::npos; start = end + 1) {
    end = given.find(separator_, start);
    const Path part = given.substr(start, end - start);
    if (part == u"..")
      path.resize(path.rfind(separator_) == Path::npos ? 0 : path.rfind(separator_));
    else if (!part.empty() || start == 0)
      path += (start == 0 ? Path() : Path(1, separator_)) + part;
  }
  if (files_.contains(Resolve(path)))
    return platform::FileIdentity{1, files_.at(Resolve(path)).Number};
  if (!folders_.contains(path + separator_)) return std::nullopt;
  return platform::FileIdentity{2, std::hash<Path>()(path + separator_)};
}

std::unique_ptr<platform::ReadableFile> FakeSystem::OpenForReading(const Path& path,
                                                                   Error& failure) {
  const std::lock_guard lock(mutex_);
  failure = FailureOf(Operation::Open, path);
  if (!failure && !files_.contains(path)) failure = ErrorOf(ErrorKind::NotFound);
  if (failure) return nullptr;
  const std::string& bytes = files_.at(path).Bytes;
  const ReadScript script = readScripts_.contains(path) ? readScripts_.at(path) : ReadScript();
  return std::make_unique<Reader>(script.ChangedBytes.value_or(bytes),
                                  static_cast<std::int64_t>(bytes.size()),
                                  FailureOf(Operation::Read, path), script);
}

FakeSystem::Error FakeSystem::AppendToFile(const Path& path, std::string_view bytes,
                                           std::optional<platform::FileIdentity> protectedFile) {
  const std::lock_guard lock(mutex_);
  if (protectedFile && IdentityOf(path) == protectedFile) return platform::FileProtectedError();
  if (auto failure = FailureOf(Operation::Append, path)) return failure;
  if (!Exists(Resolve(path))) AddFile(Resolve(path), {});
  File& file = files_.at(Resolve(path));
  file.Size = static_cast<std::int64_t>((file.Bytes += bytes).size());
  return std::nullopt;
}

FakeSystem::Error FakeSystem::DeleteFoundFile(const platform::FoundFile& file) {
  const std::lock_guard lock(mutex_);
  Path path = file.Root;
  for (const Path& name : file.Names)
    path += name + separator_;
  if (!file.Names.empty()) path.pop_back();
  if (auto failure = FailureOf(Operation::Delete, path)) return failure;
  if (file.Identity && Exists(path) && IdentityOf(path) != file.Identity)
    return platform::FileReplacedError();
  return Erase(path);
}

FakeSystem::Error FakeSystem::Erase(const Path& path) {
  if (files_.erase(path) == 0) return ErrorOf(ErrorKind::NotFound);
  const std::pair<Path, Path> parts = Split(path);
  std::erase_if(folders_[parts.first],
                [&parts](const Entry& entry) { return entry.Name == parts.second; });
  return std::nullopt;
}

void FakeSystem::Enter(const Path& path, EntryKind kind) {
  const std::pair<Path, Path> parts = Split(path);
  // A new folder is itself an entry of the folder above, unless it is a root.
  const Path folder = parts.first.substr(0, parts.first.size() - 1);
  const std::pair<Path, Path> above = Split(folder);
  if (folders_.try_emplace(parts.first).second && !above.first.empty() && !above.second.empty())
    Enter(folder, EntryKind::Folder);
  std::vector<Entry>& entries = folders_[parts.first];
  const auto named = [&parts](const Entry& entry) { return entry.Name == parts.second; };
  if (!parts.second.empty() && std::ranges::none_of(entries, named))
    entries.push_back(Entry{parts.second, kind});
}
