#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"

// The services the Windows system is made of, one file each; Win32System puts them together.
// Every path goes through the wide (W) functions, so a name the ANSI code page cannot write is
// still opened, searched and deleted under the name the walk read.
namespace platform::win32 {

/// Full path of the running executable (GetModuleFileNameW).
std::u16string ExecutablePath();
/// The current working folder, ending in the separator.
std::u16string CurrentFolder();
/// The user's home folder without a trailing separator; empty when unknown.
std::u16string HomeFolder();
std::optional<std::u16string> EnvironmentVariable(std::u16string_view name);
bool CanCreateFilesIn(const std::u16string& path);
std::optional<SystemError> CreateFolders(const std::u16string& path);

/// The system's ANSI code page (GetACP), its case mapping taken from the system.
std::unique_ptr<platform::CodePage> AnsiCodePage();

/// Opens a folder for listing: "." and ".." left out; a folder that is a reparse point standing
/// for another place (junction, link) is a FolderLink, so it is never entered.
std::unique_ptr<DirectoryEnumeration> OpenDirectory(const std::u16string& path,
                                                    std::optional<SystemError>& failure);

bool IsRegularFile(const std::u16string& path);
/// True when the file carries the hidden or the system attribute.
bool IsHidden(const std::u16string& path);
/// Volume serial number and file index of what path names, links followed.
std::optional<FileIdentity> IdentityOf(const std::u16string& path);
std::unique_ptr<ReadableFile> OpenForReading(const std::u16string& path,
                                             std::optional<SystemError>& failure);
/// One write of all bytes at the end of the file; what a failed write left of them is cut off.
std::optional<SystemError> AppendToFile(const std::u16string& path, std::string_view bytes,
                                        std::optional<FileIdentity> protectedFile);
std::optional<SystemError> DeleteFile(const std::u16string& path);
/// Deletes a found file through a handle on the file itself, with every folder from the root
/// down held open (so none can be replaced meanwhile) and checked to be no link.
std::optional<SystemError> DeleteFoundFile(const FoundFile& file);

/// Starts `notepad "<path>"` without waiting for it.
std::optional<SystemError> StartTextEditor(const std::u16string& path);

}  // namespace platform::win32
