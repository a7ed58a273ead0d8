#include "platform/windows_win32.h"

#include "platform/handle_win32.h"
#include "platform/native_path_win32.h"
#include "platform/system_win32.h"
#include "platform/win32_error_win32.h"

namespace platform::win32 {
namespace {

/// True for a reparse point that stands for another place (a junction, a symbolic link, a
/// mount point): entering such a folder could lead back up the tree. Other reparse points
/// (files kept in the cloud, deduplicated files) hold their own contents. A reparse point whose
/// tag the listing does not give counts as a link.
bool IsLink(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (data.dwReserved0 == 0 || IsReparseTagNameSurrogate(data.dwReserved0));
}

class Win32Enumeration : public DirectoryEnumeration {
 public:
  /// Lists what find found; an invalid find stands for an empty folder.
  Win32Enumeration(HANDLE find, const WIN32_FIND_DATAW& first, std::wstring folder)
      : find_(find),
        data_(first),
        folder_(std::move(folder)),
        pending_(find != INVALID_HANDLE_VALUE) {}
  ~Win32Enumeration() override {
    if (find_ != INVALID_HANDLE_VALUE) ::FindClose(find_);
  }
  Win32Enumeration(const Win32Enumeration&) = delete;
  Win32Enumeration& operator=(const Win32Enumeration&) = delete;

  bool Next() override {
    for (;;) {
      if (find_ == INVALID_HANDLE_VALUE) return false;
      if (!pending_ && !::FindNextFileW(find_, &data_)) return false;
      pending_ = false;
      const std::wstring_view name = data_.cFileName;
      if (name == L"." || name == L"..") continue;
      name_ = Narrow(name);
      sizeKnown_ = false;
      identity_.reset();
      identityKnown_ = false;
      Classify();
      return true;
    }
  }

  const std::u16string& Name() const override { return name_; }
  EntryKind Kind() const override { return kind_; }

  std::int64_t Size() override {
    if (!sizeKnown_) {
      size_ = 0;
      if ((data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        size_ = static_cast<std::int64_t>((std::uint64_t{data_.nFileSizeHigh} << 32) |
                                          data_.nFileSizeLow);
      } else {
        // A link to a file is listed with its own size: the file it leads to has the contents.
        const Handle file = OpenAttributes(folder_ + data_.cFileName, 0);
        LARGE_INTEGER length{};
        if (file.Valid() && ::GetFileSizeEx(file.Get(), &length)) size_ = length.QuadPart;
      }
      sizeKnown_ = true;
    }
    return size_;
  }

  std::optional<FileIdentity> Identity() override {
    // The listing carries no file index: the entry itself is opened for it, once, and only
    // when asked (for the files the walk keeps).
    if (!identityKnown_) {
      const Handle entry = OpenAttributes(folder_ + data_.cFileName, FILE_FLAG_OPEN_REPARSE_POINT);
      if (entry.Valid()) identity_ = HandleIdentity(entry.Get());
      identityKnown_ = true;
    }
    return identity_;
  }

 private:
  void Classify() {
    const DWORD attributes = data_.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      kind_ = IsLink(data_) ? EntryKind::FolderLink : EntryKind::Folder;
    } else if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
      kind_ = EntryKind::Special;
    } else {
      kind_ = EntryKind::File;
    }
  }

  HANDLE find_;
  WIN32_FIND_DATAW data_;
  std::wstring folder_;
  bool pending_;
  std::u16string name_;
  EntryKind kind_ = EntryKind::Special;
  bool sizeKnown_ = false;
  std::int64_t size_ = 0;
  bool identityKnown_ = false;
  std::optional<FileIdentity> identity_;
};

}  // namespace

std::unique_ptr<DirectoryEnumeration> OpenDirectory(const std::u16string& path,
                                                    std::optional<SystemError>& failure) {
  failure.reset();
  std::wstring folder = LongPath(path);
  if (folder.empty()) {
    failure = ErrorFromCode(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  if (folder.back() != L'\\') folder += L'\\';
  WIN32_FIND_DATAW first{};
  // The large fetch asks for many entries per call to the file system.
  const HANDLE find = ::FindFirstFileExW((folder + L'*').c_str(), FindExInfoBasic, &first,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    // An empty drive root reports no entry at all, not even "."; it is still a folder.
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (code == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return std::make_unique<Win32Enumeration>(find, first, std::move(folder));
    }
    failure = ErrorFromCode(code);
    return nullptr;
  }
  return std::make_unique<Win32Enumeration>(find, first, std::move(folder));
}

}  // namespace platform::win32
