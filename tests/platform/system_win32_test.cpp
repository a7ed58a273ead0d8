// The real Windows system on real temporary folders (run under wine on Linux). Nothing here is
// ever deleted through a link: wine would delete the link's target.
#include <gtest/gtest.h>

#include "platform/windows_win32.h"

#include <filesystem>
#include <functional>
#include <map>
#include <tuple>

#include "platform/system.h"
#include "support/text_file.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;
using platform::EntryKind;
using platform::ErrorKind;
using Listing = std::map<std::u16string, std::pair<EntryKind, std::int64_t>>;  // kind and size

platform::System& Real() {
  return platform::OperatingSystem();
}

/// Runs a Linux program under wine on the Linux paths of files, and waits until done() holds (at
/// most five seconds: wine reports no end of such a program); false when it never does.
bool RunOnLinux(std::wstring command, const std::vector<fs::path>& files,
                const std::function<bool()>& done) {
  using UnixName = char*(__cdecl*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) return false;  // not under wine
  for (const fs::path& file : files) {
    char* name = unixName(file.c_str());
    command += L" \"" + fs::path(name).wstring() + L"\"";
    ::HeapFree(::GetProcessHeap(), 0, name);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return false;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  for (int tries = 0; tries < 100 && !done(); ++tries)
    ::Sleep(50);
  return done();
}

/// Name, kind and size of every entry of a folder.
Listing List(const std::u16string& folder) {
  std::optional<platform::SystemError> failure;
  const auto entries = Real().OpenDirectory(folder, failure);
  Listing listed;  // empty when the folder cannot be listed
  while (entries != nullptr && entries->Next())
    listed[entries->Name()] = {entries->Kind(),
                               entries->Kind() == EntryKind::File ? entries->Size() : -1};
  return listed;
}

/// The found file in its folder below the walk's root, with the identity the listing gave.
platform::FoundFile Found(const std::u16string& root, std::vector<std::u16string> names) {
  std::u16string folder = root + u"\\";
  for (std::size_t i = 0; i + 1 < names.size(); ++i)
    folder += names[i] + u"\\";
  std::optional<platform::SystemError> failure;
  const auto entries = Real().OpenDirectory(folder, failure);
  platform::FoundFile found{root, std::move(names), std::nullopt};
  while (entries != nullptr && entries->Next())
    if (entries->Name() == found.Names.back()) found.Identity = entries->Identity();
  EXPECT_TRUE(found.Identity.has_value());
  return found;
}

TEST(SystemWin32Test, ATreeIsListedThroughItsWideNamesAndLinksAreNotFolders) {
  TempDir dir;
  const std::u16string root = dir.path().u16string();
  dir.Write(u"Ärger/Müller €.txt", "12345");
  dir.Write(u"Łódź.txt", "Łódź");
  dir.Write(u"versteckt.txt", "v");
  ASSERT_TRUE(::SetFileAttributesW((dir.path() / u"versteckt.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  Listing expected{{u"Ärger", {EntryKind::Folder, -1}},
                   {u"Łódź.txt", {EntryKind::File, 7}},
                   {u"versteckt.txt", {EntryKind::File, 1}}};
  // A link back to the tree, which entered would never end: made and removed as a link of the
  // Linux file system below wine, which makes none itself and would delete the tree through it.
  const fs::path loop = dir.path() / u"Schleife";
  const auto linked = [&loop] { return fs::exists(fs::symlink_status(loop)); };
  if (RunOnLinux(L"/bin/ln -s", {dir.path(), loop}, linked))
    expected[u"Schleife"] = {EntryKind::FolderLink, -1};
  EXPECT_EQ(List(root + u"\\"), expected);
  if (linked()) RunOnLinux(L"/bin/rm -f", {loop}, [&linked] { return !linked(); });
  EXPECT_EQ(List(root + u"\\Ärger\\"), (Listing{{u"Müller €.txt", {EntryKind::File, 5}}}));

  // The path below root ("/" separates too), whether it is a regular file, and whether hidden.
  const std::tuple<std::u16string, bool, bool> cases[] = {
      {u"/Ärger/Müller €.txt", true, false}, {u"\\Łódź.txt", true, false},
      {u"\\versteckt.txt", true, true},      {u"\\Ärger", false, false},
      {u"\\fehlt.txt", false, false},        {std::u16string(u"\\Łódź.txt\0x", 11), false, false},
  };
  for (const auto& [relative, regular, hidden] : cases) {
    EXPECT_EQ(Real().IsRegularFile(root + relative), regular) << Utf8(relative);
    EXPECT_EQ(Real().IsHidden(root + relative), hidden) << Utf8(relative);
  }
  // The same file has one identity however it is named.
  EXPECT_EQ(Real().IdentityOf(root + u"\\Ärger\\Müller €.txt"),
            Real().IdentityOf(root + u"\\Ärger\\..\\Ärger\\Müller €.txt"));
}

TEST(SystemWin32Test, ANameOutsideTheCodePageIsReadAtAnyOffsetAndOnlyTheFoundFileIsDeleted) {
  TempDir dir;
  const std::u16string root = dir.path().u16string();
  dir.Write(u"Łódź.txt", "0123456789");
  const fs::path readOnly = dir.Write(u"schreibgeschützt.txt", "x");
  ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  {  // a file open anywhere is only gone once it is closed
    std::optional<platform::SystemError> failure;
    const auto file = Real().OpenForReading(root + u"\\Łódź.txt", failure);
    ASSERT_NE(file, nullptr);
    char buffer[8] = {};
    std::size_t count = 0;
    EXPECT_FALSE(file->ReadAt(6, buffer, sizeof buffer, count).has_value());
    EXPECT_EQ(std::string(buffer, count), "6789");
    EXPECT_FALSE(file->Read(buffer, 3, count).has_value());
    EXPECT_EQ(std::string(buffer, count), "012");  // ReadAt moved nothing
    EXPECT_FALSE(file->ReadAt(10, buffer, sizeof buffer, count).has_value());
    EXPECT_EQ(count, 0u);
  }
  // Neither a file put in the found one's place nor a read-only file is deleted; the found one is.
  const platform::FoundFile found = Found(root, {u"Łódź.txt"});
  platform::FoundFile other = found;
  other.Identity->File += 1;
  EXPECT_EQ(Real().DeleteFoundFile(other)->Kind, ErrorKind::Replaced);
  for (const auto& failure :
       {Real().DeleteFile(readOnly.u16string()),
        Real().DeleteFoundFile(Found(root, {readOnly.filename().u16string()}))}) {
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->Kind, ErrorKind::AccessDenied);
    // The system's own words, without the line break they end in.
    const std::u16string& words = failure->Description;
    EXPECT_TRUE(!words.empty() && !words.starts_with(u"Systemfehler") && words.back() != u'\n')
        << Utf8(words);
  }
  EXPECT_TRUE(fs::exists(readOnly));
  ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(Real().DeleteFoundFile(found).has_value());
  EXPECT_FALSE(fs::exists(dir.path() / u"Łódź.txt"));
}

TEST(SystemWin32Test, PathsLongerThanTwoHundredSixtyCharactersWork) {
  TempDir dir;
  const std::u16string root = dir.path().u16string(), name(100, u'ä');
  const std::u16string folder = root + u"\\" + name + u"\\" + name + u"\\" + name;
  const std::u16string path = folder + u"\\Müller.txt";
  ASSERT_TRUE(fs::create_directories(u"\\\\?\\" + folder));
  EXPECT_FALSE(Real().AppendToFile(path, "Zeile\r\n", std::nullopt).has_value());
  EXPECT_EQ(List(folder + u"\\"), (Listing{{u"Müller.txt", {EntryKind::File, 7}}}));
  std::string content;
  EXPECT_FALSE(ReadWholeFile(Real(), path, content).has_value());
  EXPECT_EQ(content, "Zeile\r\n");
  // The protected file gets nothing.
  EXPECT_EQ(Real().AppendToFile(path, "x", Real().IdentityOf(path))->Kind, ErrorKind::Protected);
  EXPECT_FALSE(Real().DeleteFoundFile(Found(root, {name, name, name, u"Müller.txt"})).has_value());
  EXPECT_FALSE(Real().IsRegularFile(path));
  for (std::u16string gone = folder; gone.size() > root.size(); gone.resize(gone.rfind(u'\\')))
    EXPECT_TRUE(fs::remove(u"\\\\?\\" + gone));
}

TEST(SystemWin32Test, TheAnsiCodePageComesFromTheSystem) {
  const platform::CodePage& codePage = Real().CodePage();
  ASSERT_EQ(::GetACP(), 1252u) << "the expectations below are those of Windows-1252";
  EXPECT_EQ(codePage.Decode("\xC4\x80\x9F"), u"Ä€Ÿ");
  EXPECT_EQ(codePage.Encode(u"Ä€Ÿ Łx"), "\xC4\x80\x9F ?x");
  EXPECT_EQ(codePage.UpperCase(u"äöüßÿš abc"), u"ÄÖÜßŸŠ ABC");
  const auto& fold = codePage.CaseFoldTable();
  const auto folds = [&fold](unsigned char a, unsigned char b) { return fold[a] == fold[b]; };
  // ä Ä, ÿ Ÿ, a A; not ß s, nor µ M (µ has no upper case in the code page).
  EXPECT_EQ(std::tuple(folds(0xE4, 0xC4), folds(0xFF, 0x9F), folds('a', 'A'), folds(0xDF, 's'),
                       folds(0xB5, 'M')),
            std::tuple(true, true, true, false, false));
  EXPECT_TRUE(Real().ExecutablePath().ends_with(u"\\fundort_platform_tests.exe"));
}

}  // namespace
