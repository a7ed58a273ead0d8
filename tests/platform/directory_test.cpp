#include "platform/directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/native_path.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;

std::u16string FolderPath(const fs::path& path) {
  return platform::FromNativePath(path.string()) + platform::kPathSeparator;
}

struct Reported {
  std::u16string name;
  bool isFolder;
  std::int64_t size;
  bool operator==(const Reported&) const = default;
};

std::vector<Reported> ReadAll(platform::DirectoryEnumeration& entries) {
  std::vector<Reported> all;
  while (entries.Next()) {
    all.push_back({entries.Name(), entries.IsFolder(), entries.IsFolder() ? 0 : entries.Size()});
  }
  return all;
}

TEST(DirectoryTest, EntriesComeInByteOrderWithTheirKindAndSize) {
  TempDir dir;
  dir.Write("b.txt", "bbb");
  dir.Write("B.txt", "B");
  dir.Write("a", "");
  dir.Write("\xC3\xA4.txt", "umlaut");
  dir.Write("_x", "__");
  dir.Write(".hidden", "h");
  dir.MakeFolder("m");
  fs::create_symlink("b.txt", dir.path() / "c-link");
  fs::create_symlink("m", dir.path() / "m-link");
  ::mkfifo((dir.path() / "pipe").c_str(), 0644);

  const auto entries = platform::SystemDirectories().Open(FolderPath(dir.path()));
  ASSERT_NE(entries, nullptr);
  const std::vector<Reported> expected = {
      {u".hidden", false, 1}, {u"B.txt", false, 1},  {u"_x", false, 2}, {u"a", false, 0},
      {u"b.txt", false, 3},   {u"c-link", false, 3}, {u"m", true, 0},   {U16("ä.txt"), false, 6},
  };
  EXPECT_EQ(ReadAll(*entries), expected);
}

TEST(DirectoryTest, WhatIsNoReadableFolderGivesNoEnumeration) {
  TempDir dir;
  dir.Write("file", "x");
  ::mkfifo((dir.path() / "pipe").c_str(), 0644);
  fs::create_symlink("missing", dir.path() / "dangling");
  for (const char* name : {"missing", "file", "pipe", "dangling"}) {
    EXPECT_EQ(platform::SystemDirectories().Open(FolderPath(dir.path() / name)), nullptr) << name;
  }
}

TEST(DirectoryTest, AFolderOpenFurtherUpIsNotOpenedAgain) {
  TempDir dir;
  dir.MakeFolder("sub");
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
