// The real Windows system on real temporary folders (run under wine on Linux). Nothing here is
// ever deleted through a link: wine would delete the link's target.
#include <gtest/gtest.h>

#include "platform/windows_win32.h"

#include <filesystem>
#include <functional>
#include <map>

#include "platform/system.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using platform::EntryKind;
using platform::ErrorKind;

platform::System& Real() {
  return platform::OperatingSystem();
}

std::u16string Path(const fs::path& path) {
  return path.u16string();
}

/// The system's own words for an error code, as the user sees them elsewhere.
std::u16string SystemText(DWORD code) {
  wchar_t text[512] = {};
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, 512, nullptr);
  std::u16string result(text, text + length);
  while (!result.empty() && (result.back() == u'\n' || result.back() == u'\r'))
    result.pop_back();
  return result;
}

/// Starts a Linux program under wine (named by its Linux path) and waits until done() holds, for
/// at most five seconds: wine reports no end of such a program.
void RunOnLinux(std::wstring command, const std::function<bool()>& done) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  for (int tries = 0; tries < 100 && !done(); ++tries)
    ::Sleep(50);
}

/// A symbolic link to a folder, made through Windows where the user may, else under wine as a
/// link of the Linux file system below; removed again when it goes, never through Windows under
/// wine, which would follow it.
class FolderLink {
 public:
  FolderLink(const fs::path& target, const fs::path& link) : link_(link) {
    std::error_code failure;
    fs::create_directory_symlink(target, link, failure);
    if (!failure) return;
    failure_ = failure.message();
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) return;
    char* from = unixName(target.c_str());
    char* to = unixName(link.c_str());
    const std::wstring unixFrom = fs::path(from).wstring();
    unixLink_ = fs::path(to).wstring();
    ::HeapFree(::GetProcessHeap(), 0, from);
    ::HeapFree(::GetProcessHeap(), 0, to);
    RunOnLinux(L"/bin/ln -s \"" + unixFrom + L"\" \"" + unixLink_ + L"\"",
               [&link] { return fs::exists(fs::symlink_status(link)); });
    if (fs::exists(fs::symlink_status(link))) failure_.clear();
  }
  ~FolderLink() {
    if (unixLink_.empty()) {
      std::error_code ignored;
      fs::remove(link_, ignored);
    } else {
      RunOnLinux(L"/bin/rm -f \"" + unixLink_ + L"\"",
                 [this] { return !fs::exists(fs::symlink_status(link_)); });
    }
  }
  FolderLink(const FolderLink&) = delete;
  FolderLink& operator=(const FolderLink&) = delete;

  /// Why no link could be made; empty when it was.
  const std::string& Failure() const { return failure_; }

 private:
  fs::path link_;
  std::wstring unixLink_;
  std::string failure_;
};

/// Name, kind and size of every entry of a folder.
std::map<std::u16string, std::pair<EntryKind, std::int64_t>> List(const std::u16string& folder) {
  std::optional<platform::SystemError> failure;
  const auto entries = Real().OpenDirectory(folder, failure);
  EXPECT_NE(entries, nullptr) << (failure ? Utf8(failure->Description) : "");
  std::map<std::u16string, std::pair<EntryKind, std::int64_t>> listed;
  while (entries != nullptr && entries->Next()) {
    listed[entries->Name()] = {entries->Kind(),
                               entries->Kind() == EntryKind::File ? entries->Size() : -1};
  }
  return listed;
}

/// The whole content of a file, read through the system.
std::string ReadAll(const std::u16string& path) {
  std::optional<platform::SystemError> failure;
  const auto file = Real().OpenForReading(path, failure);
  if (file == nullptr) return "<" + Utf8(failure->Description) + ">";
  std::string content(static_cast<std::size_t>(file->Length()) + 1, '\0');
  std::size_t count = 0;
  EXPECT_FALSE(file->Read(content.data(), content.size(), count).has_value());
  content.resize(count);
  return content;
}

/// The found file in its folder below the walk's root, with the identity the listing gave.
platform::FoundFile Found(const std::u16string& root, std::vector<std::u16string> names) {
  std::u16string folder = root + u"\\";
  for (std::size_t i = 0; i + 1 < names.size(); ++i)
    folder += names[i] + u"\\";
  std::optional<platform::SystemError> failure;
  const auto entries = Real().OpenDirectory(folder, failure);
  std::optional<platform::FileIdentity> identity;
  while (entries != nullptr && entries->Next()) {
    if (entries->Name() == names.back()) identity = entries->Identity();
  }
  EXPECT_TRUE(identity.has_value());
  return platform::FoundFile{root, std::move(names), identity};
}

TEST(SystemWin32Test, ATreeIsListedThroughItsWideNamesAndLinksAreNotFolders) {
  TempDir dir;
  const std::u16string root = Path(dir.path());
  dir.Write(u"Ärger/Müller €.txt", "12345");
  const std::string outside = "Łódź liegt nicht in der Codepage";
  dir.Write(u"Łódź.txt", outside);
  dir.Write(u"versteckt.txt", "v");
  ASSERT_TRUE(::SetFileAttributesW((dir.path() / u"versteckt.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  // A loop: entered, it would never end.
  const FolderLink loop(dir.path(), dir.path() / u"Schleife");
  const std::string& linkFailure = loop.Failure();

  std::map<std::u16string, std::pair<EntryKind, std::int64_t>> expected{
      {u"Ärger", {EntryKind::Folder, -1}},
      {u"Łódź.txt", {EntryKind::File, std::ssize(outside)}},
      {u"versteckt.txt", {EntryKind::File, 1}}};
  if (linkFailure.empty()) expected[u"Schleife"] = {EntryKind::FolderLink, -1};
  EXPECT_EQ(List(root + u"\\"), expected);
  EXPECT_EQ(List(root + u"\\Ärger\\"),
            (decltype(expected){{u"Müller €.txt", {EntryKind::File, 5}}}));
  if (!linkFailure.empty()) GTEST_LOG_(INFO) << "no folder link made here: " << linkFailure;

  const struct {
    std::u16string relative;
    bool regular, hidden;
  } cases[] = {
      {u"\\Ärger\\Müller €.txt", true, false}, {u"\\Łódź.txt", true, false},
      {u"\\versteckt.txt", true, true},        {u"\\Ärger", false, false},
      {u"\\fehlt.txt", false, false},          {std::u16string(u"\\Łódź.txt\0x", 11), false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.relative));
    EXPECT_EQ(Real().IsRegularFile(root + c.relative), c.regular);
    EXPECT_EQ(Real().IsHidden(root + c.relative), c.hidden);
  }
  // "/" works as a separator, and the same file has one identity however it is named.
  EXPECT_EQ(ReadAll(root + u"/Ärger/Müller €.txt"), "12345");
  EXPECT_EQ(Real().IdentityOf(root + u"\\Ärger\\Müller €.txt"),
            Real().IdentityOf(root + u"\\Ärger\\..\\Ärger\\Müller €.txt"));
}

TEST(SystemWin32Test, ANameOutsideTheCodePageIsReadAtAnyOffsetAndDeletedAsFound) {
  TempDir dir;
  const std::u16string root = Path(dir.path());
  dir.Write(u"Łódź.txt", "0123456789");
  std::optional<platform::SystemError> failure;
  auto file = Real().OpenForReading(root + u"\\Łódź.txt", failure);
  ASSERT_NE(file, nullptr);
  char buffer[8] = {};
  std::size_t count = 0;
  EXPECT_FALSE(file->ReadAt(6, buffer, sizeof buffer, count).has_value());
  EXPECT_EQ(std::string(buffer, count), "6789");
  EXPECT_FALSE(file->Read(buffer, 3, count).has_value());
  EXPECT_EQ(std::string(buffer, count), "012");  // ReadAt moved nothing
  EXPECT_FALSE(file->ReadAt(10, buffer, sizeof buffer, count).has_value());
  EXPECT_EQ(count, 0u);
  file.reset();  // a file open anywhere is only gone once it is closed

  // A file put in the found one's place is not deleted; the found one is.
  const platform::FoundFile found = Found(root, {u"Łódź.txt"});
  platform::FoundFile other = found;
  other.Identity->File += 1;
  EXPECT_EQ(Real().DeleteFoundFile(other)->Kind, ErrorKind::Replaced);
  EXPECT_FALSE(Real().DeleteFoundFile(found).has_value());
  EXPECT_FALSE(fs::exists(dir.path() / u"Łódź.txt"));
}

TEST(SystemWin32Test, AReadOnlyFileIsNotDeletedAndTheSystemSaysWhy) {
  TempDir dir;
  const fs::path file = dir.Write(u"schreibgeschützt.txt", "x");
  ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::u16string root = Path(dir.path());
  for (const auto& failure : {Real().DeleteFile(Path(file)),
                              Real().DeleteFoundFile(Found(root, {file.filename().u16string()}))}) {
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->Kind, ErrorKind::AccessDenied);
    EXPECT_EQ(failure->Description, SystemText(ERROR_ACCESS_DENIED));
  }
  EXPECT_TRUE(fs::exists(file));
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SystemWin32Test, PathsLongerThanTwoHundredSixtyCharactersWork) {
  TempDir dir;
  const std::u16string root = Path(dir.path());
  const std::u16string name(100, u'ä');
  std::u16string folder = root;
  std::vector<std::u16string> names;
  for (int level = 0; level < 3; ++level) {
    folder += u"\\" + name;
    names.push_back(name);
    const std::wstring wide = L"\\\\?\\" + std::wstring(folder.begin(), folder.end());
    ASSERT_TRUE(::CreateDirectoryW(wide.c_str(), nullptr));
  }
  const std::u16string path = folder + u"\\Müller.txt";
  ASSERT_GT(path.size(), 300u);
  EXPECT_FALSE(Real().AppendToFile(path, "Zeile\r\n", std::nullopt).has_value());
  EXPECT_FALSE(Real().AppendToFile(path, "Zeile\r\n", std::nullopt).has_value());
  EXPECT_EQ(List(folder + u"\\"), (std::map<std::u16string, std::pair<EntryKind, std::int64_t>>{
                                      {u"Müller.txt", {EntryKind::File, 14}}}));
  EXPECT_EQ(ReadAll(path), "Zeile\r\nZeile\r\n");
  // The protected file gets nothing, under whatever name it is reached.
  const auto protectedFailure = Real().AppendToFile(path, "x", Real().IdentityOf(path));
  ASSERT_TRUE(protectedFailure.has_value());
  EXPECT_EQ(protectedFailure->Kind, ErrorKind::Protected);
  names.push_back(u"Müller.txt");
  EXPECT_FALSE(Real().DeleteFoundFile(Found(root, names)).has_value());
  EXPECT_FALSE(Real().IsRegularFile(path));
  for (int level = 0; level < 3; ++level) {
    const std::wstring wide = L"\\\\?\\" + std::wstring(folder.begin(), folder.end());
    EXPECT_TRUE(::RemoveDirectoryW(wide.c_str()));
    folder.resize(folder.rfind(u'\\'));
  }
}

TEST(SystemWin32Test, TheAnsiCodePageComesFromTheSystem) {
  const platform::CodePage& codePage = Real().CodePage();
  ASSERT_EQ(::GetACP(), 1252u) << "the expectations below are those of Windows-1252";
  EXPECT_EQ(codePage.Decode("\xC4\x80\x9F"), u"Ä€Ÿ");
  EXPECT_EQ(codePage.Encode(u"Ä€Ÿ Łx"), "\xC4\x80\x9F ?x");
  EXPECT_EQ(codePage.UpperCase(u"äöüßÿš abc"), u"ÄÖÜßŸŠ ABC");
  const auto& fold = codePage.CaseFoldTable();
  const auto folds = [&fold](unsigned char a, unsigned char b) { return fold[a] == fold[b]; };
  EXPECT_TRUE(folds(0xE4, 0xC4));  // ä Ä
  EXPECT_TRUE(folds(0xFF, 0x9F));  // ÿ Ÿ
  EXPECT_TRUE(folds('a', 'A'));
  EXPECT_FALSE(folds(0xDF, 's'));  // ß
  EXPECT_FALSE(folds(0xB5, 'M'));  // µ has no upper case in the code page
  EXPECT_TRUE(Real().ExecutablePath().ends_with(u"\\fundort_platform_tests.exe"));
  EXPECT_EQ(Real().PathSeparator(), u'\\');
}

}  // namespace
