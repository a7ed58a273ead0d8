#include "platform/system_posix.h"

#include "platform/code_page.h"

namespace platform {
namespace {

class PosixSystem : public System {
 public:
  PosixSystem() { posix::RaiseDescriptorLimit(); }

  char16_t PathSeparator() const override { return u'/'; }
  std::u16string ExecutablePath() const override { return posix::ExecutablePath(); }
  std::u16string CurrentFolder() const override { return posix::CurrentFolder(); }
  std::u16string HomeFolder() const override { return posix::HomeFolder(); }
  std::optional<std::u16string> EnvironmentVariable(std::u16string_view name) const override {
    return posix::EnvironmentVariable(name);
  }
  bool CanCreateFilesIn(const std::u16string& path) override {
    return posix::CanCreateFilesIn(path);
  }
  std::optional<SystemError> CreateFolders(const std::u16string& path) override {
    return posix::CreateFolders(path);
  }
  const platform::CodePage& CodePage() const override { return Windows1252CodePage(); }
  TextConvention TextFiles() const override { return TextConvention::Utf8; }

  std::unique_ptr<DirectoryEnumeration> OpenDirectory(
      const std::u16string& path, std::optional<SystemError>& failure) override {
    return posix::OpenDirectory(path, failure);
  }
  bool IsRegularFile(const std::u16string& path) override { return posix::IsRegularFile(path); }
  bool IsHidden(const std::u16string& path) override {
    // Linux has no hidden attribute: a name that begins with a dot is hidden.
    const std::size_t slash = path.rfind(u'/');
    const std::size_t start = slash == std::u16string::npos ? 0 : slash + 1;
    return start < path.size() && path[start] == u'.';
  }
  std::optional<FileIdentity> IdentityOf(const std::u16string& path) override {
    return posix::IdentityOf(path);
  }
  std::unique_ptr<ReadableFile> OpenForReading(const std::u16string& path,
                                               std::optional<SystemError>& failure) override {
    return posix::OpenForReading(path, failure);
  }
  std::unique_ptr<FoundFileOpener> OpenFoundFiles() override { return posix::OpenFoundFiles(); }
  std::optional<SystemError> AppendToFile(const std::u16string& path, std::string_view bytes,
                                          std::optional<FileIdentity> protectedFile) override {
    return posix::AppendToFile(path, bytes, protectedFile);
  }
  std::optional<SystemError> DeleteFile(const std::u16string& path) override {
    return posix::DeleteFile(path);
  }
  std::optional<SystemError> DeleteFoundFile(const FoundFile& file) override {
    return posix::DeleteFoundFile(file);
  }
  std::optional<SystemError> StartTextEditor(const std::u16string& path) override {
    return posix::StartTextEditor(path);
  }
  bool ReadsDocumentsByDefault() const override { return true; }
};

}  // namespace

System& OperatingSystem() {
  static PosixSystem system;
  return system;
}

}  // namespace platform
