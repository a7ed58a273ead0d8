#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"

// The services the Linux system is made of, one file each; PosixSystem puts them together.
namespace platform::posix {

/// Full path of the running executable, from /proc/self/exe.
std::u16string ExecutablePath();
/// The current working folder, ending in the separator.
std::u16string CurrentFolder();
/// The user's home folder without a trailing separator; empty when unknown.
std::u16string HomeFolder();
std::optional<std::u16string> EnvironmentVariable(std::u16string_view name);
bool CanCreateFilesIn(const std::u16string& path);
std::optional<SystemError> CreateFolders(const std::u16string& path);

/// Lets the walk hold as many descriptors as the system allows (one per open level).
void RaiseDescriptorLimit();
/// Opens a folder for listing: entries sorted by name (byte order), "." and ".." left out, and
/// a folder that is still open further up (met again through a mount) refused.
std::unique_ptr<DirectoryEnumeration> OpenDirectory(const std::u16string& path,
                                                    std::optional<SystemError>& failure);

bool IsRegularFile(const std::u16string& path);
std::optional<FileIdentity> IdentityOf(const std::u16string& path);
std::unique_ptr<ReadableFile> OpenForReading(const std::u16string& path,
                                             std::optional<SystemError>& failure);
/// The length and identity of the normal file descriptor is open on; anything else is closed
/// and refused with failure set, and the length is negative.
std::int64_t RegularFileLength(int descriptor, FileIdentity& identity,
                               std::optional<SystemError>& failure);
/// Takes over a descriptor open on a normal file of length bytes, as RegularFileLength told.
std::unique_ptr<ReadableFile> ReadableOfLength(int descriptor, std::int64_t length);
/// Takes over a descriptor open for reading: a normal file becomes a ReadableFile and identity
/// its identity; anything else is closed and refused with failure set.
std::unique_ptr<ReadableFile> ReadableFromDescriptor(int descriptor, FileIdentity& identity,
                                                     std::optional<SystemError>& failure);
/// Opens found files by descriptors from their root down, as DeleteFoundFile reaches them.
std::unique_ptr<FoundFileOpener> OpenFoundFiles();
/// One write of all bytes at the end (more only when a signal cut it short); what a failed
/// write left of them is cut off again with ftruncate.
std::optional<SystemError> AppendToFile(const std::u16string& path, std::string_view bytes,
                                        std::optional<FileIdentity> protectedFile);
std::optional<SystemError> DeleteFile(const std::u16string& path);
/// Deletes a found file by descriptors from its root down, with O_NOFOLLOW below the root and
/// the identity compared just before the unlink.
std::optional<SystemError> DeleteFoundFile(const FoundFile& file);

/// "notepad" with the path as one argument when such a program is on PATH, else the desktop's
/// opener; never through a shell, never waited for, never left as a zombie.
std::optional<SystemError> StartTextEditor(const std::u16string& path);

}  // namespace platform::posix
