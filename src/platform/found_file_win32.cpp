#include "platform/windows_win32.h"

#include <vector>

#include "platform/handle_win32.h"
#include "platform/native_path_win32.h"
#include "platform/system_win32.h"
#include "platform/win32_error_win32.h"

namespace platform::win32 {
namespace {

/// True for attributes of a reparse point (a junction, a link), which the walk never enters.
bool IsReparsePoint(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

std::optional<SystemError> DeleteFoundFile(const FoundFile& file) {
  if (file.Names.empty() || HoldsNul(file.Root)) return ErrorFromCode(ERROR_FILE_NOT_FOUND);
  std::wstring path = LongPath(file.Root);
  if (path.empty()) return ErrorFromCode(ERROR_PATH_NOT_FOUND);
  if (path.back() != L'\\') path += L'\\';

  // Each folder below the root is held open without delete sharing: while the handles live,
  // none of them can be renamed, removed or replaced by a link. Each must still be a folder
  // that is no reparse point, or the walk would never have entered it.
  std::vector<Handle> folders;
  for (std::size_t level = 0; level + 1 < file.Names.size(); ++level) {
    if (HoldsNul(file.Names[level])) return ErrorFromCode(ERROR_PATH_NOT_FOUND);
    path += Wide(file.Names[level]);
    Handle folder(::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder.Valid()) return LastError();
    DWORD attributes = 0;
    if (!HandleIdentity(folder.Get(), &attributes).has_value()) return LastError();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || IsReparsePoint(attributes)) {
      return FileReplacedError();
    }
    folders.push_back(std::move(folder));
    path += L'\\';
  }

  const std::u16string& name = file.Names.back();
  if (HoldsNul(name)) return ErrorFromCode(ERROR_FILE_NOT_FOUND);
  path += Wide(name);
  // The file itself is opened (a link as the link) and deleted through its handle, so the one
  // compared is the one deleted.
  const Handle target(
      ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!target.Valid()) return LastError();
  DWORD attributes = 0;
  const std::optional<FileIdentity> now = HandleIdentity(target.Get(), &attributes);
  if (!now.has_value()) return LastError();
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      (file.Identity.has_value() && *file.Identity != *now)) {
    return FileReplacedError();
  }
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!::SetFileInformationByHandle(target.Get(), FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
    return LastError();
  }
  return std::nullopt;
}

}  // namespace platform::win32
