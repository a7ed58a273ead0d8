#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/errno_error_posix.h"
#include "platform/file_batch_posix.h"
#include "platform/native_path_posix.h"
#include "platform/system_posix.h"

namespace platform::posix {
namespace {

/// A folder descriptor, closed when it goes.
class OpenFolder {
 public:
  explicit OpenFolder(int descriptor) : descriptor_(descriptor) {}
  ~OpenFolder() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
  OpenFolder(OpenFolder&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
  OpenFolder& operator=(OpenFolder&& other) noexcept {
    Reset(std::exchange(other.descriptor_, -1));
    return *this;
  }

  int Get() const { return descriptor_; }
  /// Takes over another descriptor, closing the one held.
  void Reset(int descriptor) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = descriptor;
  }

 private:
  int descriptor_;
};

int OpenBelow(int folder, const char* name, int flags) {
  int descriptor = -1;
  do {
    descriptor = ::openat(folder, name, flags);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

bool HoldsNul(const std::u16string& text) {
  return text.find(u'\0') != std::u16string::npos;
}

FileIdentity IdentityIn(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;
constexpr int kFileFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

/// A small file read whole when it was opened: read again from memory.
class ReadWhole : public ReadableFile {
 public:
  ReadWhole(std::string bytes, std::int64_t length) : bytes_(std::move(bytes)), length_(length) {}

  std::optional<SystemError> Read(char* buffer, std::size_t size, std::size_t& count) override {
    count = Copy(position_, buffer, size);
    position_ += count;
    return std::nullopt;
  }
  std::optional<SystemError> ReadAt(std::int64_t offset, char* buffer, std::size_t size,
                                    std::size_t& count) override {
    if (offset < 0) return ErrorFromErrno(EINVAL);
    count = Copy(static_cast<std::size_t>(offset), buffer, size);
    return std::nullopt;
  }
  std::int64_t Length() const override { return length_; }

 private:
  std::size_t Copy(std::size_t from, char* buffer, std::size_t size) const {
    if (from >= bytes_.size()) return 0;
    const std::size_t count = std::min(size, bytes_.size() - from);
    std::memcpy(buffer, bytes_.data() + from, count);
    return count;
  }

  std::string bytes_;    ///< as read: fewer than length_ when the file shrank meanwhile
  std::int64_t length_;  ///< when it was opened
  std::size_t position_ = 0;
};

/// Where two found files lie in the same folder.
bool SameFolder(const FoundFile& one, const FoundFile& other) {
  return one.Names.size() == other.Names.size() && one.Root == other.Root &&
         std::equal(one.Names.begin(), one.Names.end() - 1, other.Names.begin());
}

/// Opens found files from their root down by descriptors, keeping the folder of the last one.
class DescendingOpener : public FoundFileOpener {
 public:
  std::unique_ptr<ReadableFile> Open(const FoundFile& file, const std::u16string& path,
                                     std::optional<SystemError>& failure) override {
    failure.reset();
    if (file.Names.empty()) return OpenForReading(path, failure);
    const int folder = FolderOf(file, failure);
    if (folder < 0) return nullptr;
    const std::u16string& name = file.Names.back();
    if (HoldsNul(name)) {
      failure = ErrorFromErrno(ENOENT);
      return nullptr;
    }
    const std::string native = ToNativePath(name);
    int descriptor = OpenBelow(folder, native.c_str(), kFileFlags | O_NOFOLLOW);
    bool link = false;
    if (descriptor < 0 && errno == ELOOP) {
      // A link is followed only when it is the very link the walk found (links to files are
      // files to the walk); one put in the file's place since is not.
      struct stat info {};
      if (::fstatat(folder, native.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        failure = ErrorFromErrno(errno);
        return nullptr;
      }
      if (!S_ISLNK(info.st_mode) || (file.Identity && *file.Identity != IdentityIn(info))) {
        failure = FileChangedSinceWalkError();
        return nullptr;
      }
      link = true;
      descriptor = OpenBelow(folder, native.c_str(), kFileFlags);
    }
    if (descriptor < 0) {
      failure = ErrorFromErrno(errno);
      return nullptr;
    }
    FileIdentity identity;
    std::unique_ptr<ReadableFile> readable = ReadableFromDescriptor(descriptor, identity, failure);
    if (readable != nullptr && !link && file.Identity && *file.Identity != identity) {
      failure = FileChangedSinceWalkError();
      return nullptr;
    }
    return readable;
  }

  bool NeedsPath() const override { return false; }

  DescendingOpener() = default;
  ~DescendingOpener() override { DropAhead(); }
  DescendingOpener(const DescendingOpener&) = delete;
  DescendingOpener& operator=(const DescendingOpener&) = delete;

  bool OpenAhead(std::vector<FoundFile> files, std::size_t wholeUpTo) override {
    DropAhead();
    if (batch_ == nullptr && !batchTried_) {
      batchTried_ = true;
      batch_ = FileBatch::Create();
    }
    // One by one costs no more than Open alone.
    if (batch_ == nullptr || files.size() < 2) return false;
    // Files found by path alone are left to Open, which is given the path.
    for (const FoundFile& file : files) {
      if (file.Names.empty()) return false;
    }
    ahead_.reserve(files.size());
    for (FoundFile& file : files) {
      ahead_.emplace_back();
      ahead_.back().Found = std::move(file);
    }
    OpenAll();
    ReadAll(wholeUpTo);
    return true;
  }

  std::unique_ptr<ReadableFile> OpenNext(std::optional<SystemError>& failure) override {
    failure.reset();
    if (next_ >= ahead_.size()) return FoundFileOpener::OpenNext(failure);
    Ahead& ahead = ahead_[next_++];
    // What the batch left (a link, a folder it could not reach) is opened alone now.
    if (!ahead.Ready) return Open(ahead.Found, {}, failure);
    failure = std::move(ahead.Failure);
    return std::move(ahead.File);
  }

  std::optional<std::int64_t> ListedSize(const FoundFile& file,
                                         const std::u16string& path) override {
    struct stat info {};
    if (file.Names.empty()) {
      if (::stat(ToNativePath(path).c_str(), &info) != 0) return std::nullopt;
    } else {
      std::optional<SystemError> failure;
      const int folder = FolderOf(file, failure);
      const std::u16string& name = file.Names.back();
      if (folder < 0 || HoldsNul(name) ||
          ::fstatat(folder, ToNativePath(name).c_str(), &info, 0) != 0) {
        return std::nullopt;
      }
    }
    // As the walk sizes an entry: what is no regular file now counts as empty.
    return S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
  }

 private:
  /// The open folder that holds file, reached from the root without following a link; negative
  /// with failure set when it cannot be reached.
  int FolderOf(const FoundFile& file, std::optional<SystemError>& failure) {
    const std::size_t depth = file.Names.size() - 1;
    // Files come folder by folder, depth first: the folders kept open from the root down are
    // mostly the wanted one or lead to it, and the next folder is usually a sibling, which costs
    // one open instead of the whole way from the root.
    std::size_t kept = 0;
    if (!folders_.empty() && root_ == file.Root) {
      kept = 1;
      while (kept <= names_.size() && kept <= depth && names_[kept - 1] == file.Names[kept - 1] &&
             folders_[kept].Get() >= 0) {
        ++kept;
      }
    }
    folders_.erase(folders_.begin() + static_cast<std::ptrdiff_t>(kept), folders_.end());
    names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(kept > 0 ? kept - 1 : 0),
                 names_.end());
    if (folders_.empty()) {
      root_.clear();
      if (HoldsNul(file.Root)) {
        failure = ErrorFromErrno(ENOENT);
        return -1;
      }
      // The root is opened as the walk opened it.
      const int root = OpenBelow(AT_FDCWD, ToNativePath(file.Root).c_str(), kFolderFlags);
      if (root < 0) {
        failure = ErrorFromErrno(errno);
        return -1;
      }
      folders_.emplace_back(root);
      root_ = file.Root;
    }
    for (std::size_t level = names_.size(); level < depth; ++level) {
      const std::u16string& name = file.Names[level];
      const int next = HoldsNul(name) ? -1
                                      : OpenBelow(folders_.back().Get(), ToNativePath(name).c_str(),
                                                  kFolderFlags | O_NOFOLLOW);
      if (next < 0) {
        const int error = HoldsNul(name) ? ENOENT : errno;
        folders_.clear();
        names_.clear();
        // A link (ELOOP) or a file (ENOTDIR) now stands where the walk entered a folder.
        failure = error == ELOOP || error == ENOTDIR ? FileChangedSinceWalkError()
                                                     : ErrorFromErrno(error);
        return -1;
      }
      folders_.emplace_back(next);
      names_.push_back(name);
    }
    // A very deep tree keeps only its lowest folders open: descriptors are limited, and the walk
    // needs its own.
    if (folders_.size() > kMostKept) {
      for (std::size_t level = folders_.size() - kMostKept; level-- > 1;) {
        if (folders_[level].Get() < 0) break;
        folders_[level].Reset(-1);
      }
    }
    return folders_.back().Get();
  }

  /// Folders kept open below the root at most.
  static constexpr std::size_t kMostKept = 64;

  /// A file opened ahead: the open file or why not; not Ready when Open must do it alone.
  struct Ahead {
    FoundFile Found;
    std::unique_ptr<ReadableFile> File;
    std::optional<SystemError> Failure;
    bool Ready = false;
    int Descriptor = -1;  ///< while it is being opened and read
    std::string Bytes;    ///< what was read of it
    std::int64_t Length = 0;
  };

  /// Forgets the files opened ahead, closing any still held by a descriptor alone (a batch cut
  /// short by want of memory).
  void DropAhead() {
    for (Ahead& ahead : ahead_) {
      if (ahead.Descriptor >= 0) ::close(ahead.Descriptor);
    }
    ahead_.clear();
    next_ = 0;
  }

  /// Opens every file ahead, a folder's files at once: the folder must stay open meanwhile.
  void OpenAll() {
    std::vector<std::string> names(ahead_.size());
    std::vector<FileBatch::Opening> openings;
    std::vector<std::size_t> which;
    const auto flush = [&] {
      std::vector<long> results(openings.size());
      batch_->Open(openings, results);
      for (std::size_t index = 0; index < which.size(); ++index)
        Opened(ahead_[which[index]], results[index]);
      openings.clear();
      which.clear();
    };
    for (std::size_t index = 0; index < ahead_.size(); ++index) {
      const FoundFile& file = ahead_[index].Found;
      // Names the system cannot take are left to Open.
      if (HoldsNul(file.Names.back())) continue;
      if (!which.empty() && !SameFolder(ahead_[which.back()].Found, file)) flush();
      std::optional<SystemError> failure;
      const int folder = FolderOf(file, failure);
      if (folder < 0) continue;  // Open tells why
      names[index] = ToNativePath(file.Names.back());
      openings.push_back(FileBatch::Opening{folder, names[index].c_str(), kFileFlags | O_NOFOLLOW});
      which.push_back(index);
    }
    if (!which.empty()) flush();
  }

  /// Takes the result of opening ahead: a normal file, the one the walk found, is kept open.
  static void Opened(Ahead& ahead, long result) {
    // A link (ELOOP), and whatever the batch could not do, is left to Open.
    if (result == -ELOOP || result == FileBatch::kNotDone) return;
    ahead.Ready = true;
    if (result < 0) {
      ahead.Failure = ErrorFromErrno(static_cast<int>(-result));
      return;
    }
    const int descriptor = static_cast<int>(result);
    FileIdentity identity;
    const std::int64_t length = RegularFileLength(descriptor, identity, ahead.Failure);
    if (length < 0) return;
    if (ahead.Found.Identity && *ahead.Found.Identity != identity) {
      ahead.Failure = FileChangedSinceWalkError();
      ::close(descriptor);
      return;
    }
    ahead.Descriptor = descriptor;
    ahead.Length = length;
  }

  /// Reads the small files opened ahead whole and closes them; the larger ones stay open.
  void ReadAll(std::size_t wholeUpTo) {
    std::vector<FileBatch::Reading> readings;
    std::vector<std::size_t> which;
    for (std::size_t index = 0; index < ahead_.size(); ++index) {
      Ahead& ahead = ahead_[index];
      if (ahead.Descriptor < 0) continue;
      if (static_cast<std::uint64_t>(ahead.Length) > wholeUpTo) {
        ahead.File = ReadableOfLength(ahead.Descriptor, ahead.Length);
        ahead.Descriptor = -1;
        continue;
      }
      // One byte more than its length: a file that grew is read as far as its length at the
      // opening all the same.
      ahead.Bytes.resize(static_cast<std::size_t>(ahead.Length) + 1);
      readings.push_back(
          FileBatch::Reading{ahead.Descriptor, ahead.Bytes.data(), ahead.Bytes.size()});
      which.push_back(index);
    }
    std::vector<long> results(readings.size());
    batch_->Read(readings, results);
    std::vector<int> descriptors;
    for (std::size_t index = 0; index < which.size(); ++index) {
      Ahead& ahead = ahead_[which[index]];
      long count = results[index];
      // What the batch could not read, or read only in part (a signal), is read here.
      if (count == FileBatch::kNotDone || count == -EAGAIN || count == -EINTR ||
          (count >= 0 && static_cast<std::size_t>(count) < readings[index].Size &&
           count < ahead.Length)) {
        count = ReadRest(ahead.Descriptor, ahead.Bytes, count > 0 ? count : 0);
      }
      descriptors.push_back(ahead.Descriptor);
      if (count < 0) {
        ahead.Failure = ErrorFromErrno(static_cast<int>(-count));
        continue;
      }
      ahead.Bytes.resize(std::min<std::size_t>(static_cast<std::size_t>(count),
                                               static_cast<std::size_t>(ahead.Length)));
      ahead.File = std::make_unique<ReadWhole>(std::move(ahead.Bytes), ahead.Length);
    }
    batch_->Close(descriptors);
    for (const std::size_t index : which)
      ahead_[index].Descriptor = -1;
  }

  /// Reads bytes from done on at offsets until the end; the count read in all, or a negative
  /// errno.
  static long ReadRest(int descriptor, std::string& bytes, long done) {
    auto have = static_cast<std::size_t>(done);
    while (have < bytes.size()) {
      const ssize_t count =
          ::pread(descriptor, bytes.data() + have, bytes.size() - have, static_cast<off_t>(have));
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) return -errno;
      if (count == 0) break;
      have += static_cast<std::size_t>(count);
    }
    return static_cast<long>(have);
  }

  std::unique_ptr<FileBatch> batch_;
  bool batchTried_ = false;
  std::vector<Ahead> ahead_;
  std::size_t next_ = 0;  ///< the next of ahead_ Open should be asked for

  std::vector<OpenFolder> folders_;    ///< the root and the folders below it down to the last
  std::u16string root_;                ///< the root folders_ starts with
  std::vector<std::u16string> names_;  ///< the names of folders_ after the root
};

}  // namespace

std::unique_ptr<FoundFileOpener> OpenFoundFiles() {
  return std::make_unique<DescendingOpener>();
}

std::optional<SystemError> DeleteFoundFile(const FoundFile& file) {
  if (file.Names.empty() || HoldsNul(file.Root)) return ErrorFromErrno(ENOENT);
  // The root is opened as the walk opened it; below it every folder must still be a folder
  // and not a link, or the walk would never have entered it.
  OpenFolder folder(OpenBelow(AT_FDCWD, ToNativePath(file.Root).c_str(), kFolderFlags));
  if (folder.Get() < 0) return ErrorFromErrno(errno);
  for (std::size_t level = 0; level + 1 < file.Names.size(); ++level) {
    if (HoldsNul(file.Names[level])) return ErrorFromErrno(ENOENT);
    const int below =
        OpenBelow(folder.Get(), ToNativePath(file.Names[level]).c_str(), kFolderFlags | O_NOFOLLOW);
    if (below < 0) {
      // A link (ELOOP) or a file (ENOTDIR) now stands where the walk entered a folder.
      return errno == ELOOP || errno == ENOTDIR ? FileReplacedError() : ErrorFromErrno(errno);
    }
    folder.Reset(below);
  }

  const std::u16string& name = file.Names.back();
  if (HoldsNul(name)) return ErrorFromErrno(ENOENT);
  const std::string native = ToNativePath(name);
  struct stat info {};
  if (::fstatat(folder.Get(), native.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return ErrorFromErrno(errno);
  }
  const FileIdentity now = IdentityIn(info);
  if (S_ISDIR(info.st_mode) || (file.Identity.has_value() && *file.Identity != now)) {
    return FileReplacedError();
  }
  if (::unlinkat(folder.Get(), native.c_str(), 0) != 0) return ErrorFromErrno(errno);
  return std::nullopt;
}

}  // namespace platform::posix
