#include "platform/system_win32.h"

namespace platform {
namespace {

class Win32System : public System {
 public:
  Win32System() : codePage_(win32::AnsiCodePage()) {}

  char16_t PathSeparator() const override { return u'\\'; }
  std::u16string ExecutablePath() const override { return win32::ExecutablePath(); }
  std::u16string CurrentFolder() const override { return win32::CurrentFolder(); }
  std::u16string HomeFolder() const override { return win32::HomeFolder(); }
  std::optional<std::u16string> EnvironmentVariable(std::u16string_view name) const override {
    return win32::EnvironmentVariable(name);
  }
  bool CanCreateFilesIn(const std::u16string& path) override {
    return win32::CanCreateFilesIn(path);
  }
  std::optional<SystemError> CreateFolders(const std::u16string& path) override {
    return win32::CreateFolders(path);
  }
  const platform::CodePage& CodePage() const override { return *codePage_; }
  TextConvention TextFiles() const override { return TextConvention::CodePage; }

  std::unique_ptr<DirectoryEnumeration> OpenDirectory(
      const std::u16string& path, std::optional<SystemError>& failure) override {
    return win32::OpenDirectory(path, failure);
  }
  bool IsRegularFile(const std::u16string& path) override { return win32::IsRegularFile(path); }
  bool IsHidden(const std::u16string& path) override { return win32::IsHidden(path); }
  std::optional<FileIdentity> IdentityOf(const std::u16string& path) override {
    return win32::IdentityOf(path);
  }
  std::unique_ptr<ReadableFile> OpenForReading(const std::u16string& path,
                                               std::optional<SystemError>& failure) override {
    return win32::OpenForReading(path, failure);
  }
  std::optional<SystemError> AppendToFile(const std::u16string& path, std::string_view bytes,
                                          std::optional<FileIdentity> protectedFile) override {
    return win32::AppendToFile(path, bytes, protectedFile);
  }
  std::optional<SystemError> DeleteFile(const std::u16string& path) override {
    return win32::DeleteFile(path);
  }
  std::optional<SystemError> DeleteFoundFile(const FoundFile& file) override {
    return win32::DeleteFoundFile(file);
  }
  std::optional<SystemError> StartTextEditor(const std::u16string& path) override {
    return win32::StartTextEditor(path);
  }
  // Documents are searched only when the configuration asks for it.
  bool ReadsDocumentsByDefault() const override { return false; }

 private:
  std::unique_ptr<platform::CodePage> codePage_;
};

}  // namespace

System& OperatingSystem() {
  static Win32System system;
  return system;
}

}  // namespace platform
