#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "platform/system.h"
#include "testing/test_program.h"

namespace {

TEST(TextEditorTest, StartsNotepadElseTheOpenerDetachedWithThePathAsOneArgument) {
  const struct {
    std::vector<std::string> programs;  // in the PATH folders "one" and "two"; "-" not executable
    std::u16string path;
    std::string started, argument;  // none started: no editor found
  } cases[] = {
      // clang-format off
      {{"one/xdg-open", "two/notepad"}, u"/tmp/a b \"c\" ü.txt", "two/notepad", "/tmp/a b \"c\" ü.txt"},
      {{"one/notepad-", "two/xdg-open"}, u"-n", "two/xdg-open", "./-n"},
      {{"one/notepad-"}, u"/tmp/a.txt", "", ""},
      // clang-format on
  };
  const std::string originalPath = std::getenv("PATH");
  for (const auto& c : cases) {
    TempDir dir;
    const std::string go = (dir.path() / "go").string(), out = (dir.path() / "out").string();
    ASSERT_EQ(::mkfifo(go.c_str(), 0600), 0);
    const int release = ::open(go.c_str(), O_RDWR | O_CLOEXEC);
    // Waits for the test (a launcher waiting for the editor would hang), then reports its path
    // and its arguments, and whether its standard descriptors are /dev/null.
    const std::string script = "#!/bin/sh\nread x < " + go +
                               "\nq=no; [ /proc/$$/fd/0 -ef /dev/null ] && [ /proc/$$/fd/1 -ef "
                               "/dev/null ] && [ /proc/$$/fd/2 -ef /dev/null ] && q=yes\n" +
                               "printf '%s\\n' \"$0\" $# \"$@\" $q end > " + out + "\n";
    for (std::string program : c.programs) {
      const bool executable = program.back() != '-';
      if (!executable) program.pop_back();
      ::chmod(dir.Write(program, script).c_str(), executable ? 0700 : 0600);
    }
    ::setenv("PATH", ((dir.path() / "one").string() + ":" + (dir.path() / "two").string()).c_str(),
             1);
    ::alarm(30);
    const auto failure = platform::OperatingSystem().StartTextEditor(c.path);
    ::alarm(0);
    ::setenv("PATH", originalPath.c_str(), 1);
    EXPECT_EQ(failure.has_value() ? failure->Kind : platform::ErrorKind::Other,
              c.started.empty() ? platform::ErrorKind::NotFound : platform::ErrorKind::Other);
    EXPECT_TRUE(::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD) << "a child left behind";
    ASSERT_EQ(::write(release, "go\n", 3), 3);
    std::string report;  // what the program started says; nothing when none is
    for (int attempt = 0; attempt < 1000 && !c.started.empty() && !report.ends_with("end\n");
         ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      report = (std::stringstream() << std::ifstream(out).rdbuf()).str();
    }
    EXPECT_EQ(report, c.started.empty() ? ""
                                        : (dir.path() / c.started).string() + "\n1\n" + c.argument +
                                              "\nyes\nend\n");
    ::close(release);
  }
}

}  // namespace
