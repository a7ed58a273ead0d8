#include "platform/directory.h"

#include <gtest/gtest.h>

#include "platform/native_path.h"
#include "testing/test_program.h"

namespace {

TEST(DirectoryTest, AFolderOpenFurtherUpIsNotOpenedAgain) {
  TempDir dir;
  dir.Write("sub/file", "");
  const auto folder = [&dir](const char* relative) {
    return platform::FromNativePath((dir.path() / relative).string()) + u"/";
  };
  auto& directories = platform::SystemDirectories();
  {
    const auto outer = directories.Open(folder("."));
    ASSERT_NE(outer, nullptr);
    // The same folder by another path, as a mount inside the tree would reach it.
    EXPECT_EQ(directories.Open(folder("sub/..")), nullptr);
    EXPECT_NE(directories.Open(folder("sub")), nullptr);
  }
  EXPECT_NE(directories.Open(folder(".")), nullptr);
}

}  // namespace
