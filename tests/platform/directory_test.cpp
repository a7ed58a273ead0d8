#include "platform/directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/native_path.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;

std::u16string FolderPath(const fs::path& path) {
  return platform::FromNativePath(path.string()) + platform::kPathSeparator;
}

TEST(DirectoryTest, EntriesComeInByteOrderWithTheirKindAndSize) {
  TempDir dir;
  const std::pair<const char*, const char*> files[] = {
      {"b.txt", "bbb"}, {"B.txt", "B"},   {"a", ""},   {"\xC3\xA4.txt", "umlaut"},
      {"_x", "__"},     {".hidden", "h"}, {"m/in", ""}};
  for (const auto& [name, bytes] : files)
    dir.Write(name, bytes);
  fs::create_symlink("b.txt", dir.path() / "c-link");
  fs::create_symlink("m", dir.path() / "m-link");
  ::mkfifo((dir.path() / "pipe").c_str(), 0644);

  const auto entries = platform::SystemDirectories().Open(FolderPath(dir.path()));
  ASSERT_NE(entries, nullptr);
  std::u16string listing;
  while (entries->Next())
    listing += entries->Name() +
               (entries->IsFolder() ? u"/ " : U16(":" + std::to_string(entries->Size()) + " "));
  EXPECT_EQ(listing, U16(".hidden:1 B.txt:1 _x:2 a:0 b.txt:3 c-link:3 m/ ä.txt:6 "));
}

TEST(DirectoryTest, WhatIsNoReadableFolderGivesNoEnumeration) {
  TempDir dir;
  dir.Write("file", "x");
  ::mkfifo((dir.path() / "pipe").c_str(), 0644);
  fs::create_symlink("missing", dir.path() / "dangling");
  for (const char* name : {"missing", "file", "pipe", "dangling"})
    EXPECT_EQ(platform::SystemDirectories().Open(FolderPath(dir.path() / name)), nullptr) << name;
}

TEST(DirectoryTest, AFolderOpenFurtherUpIsNotOpenedAgain) {
  TempDir dir;
  fs::create_directory(dir.path() / "sub");
  auto& directories = platform::SystemDirectories();
  {
    const auto outer = directories.Open(FolderPath(dir.path()));
    ASSERT_NE(outer, nullptr);
    // The same folder by another path, as a mount inside the tree would reach it.
    EXPECT_EQ(directories.Open(FolderPath(dir.path() / "sub" / "..")), nullptr);
    EXPECT_NE(directories.Open(FolderPath(dir.path() / "sub")), nullptr);
  }
  EXPECT_NE(directories.Open(FolderPath(dir.path())), nullptr);
}

}  // namespace
