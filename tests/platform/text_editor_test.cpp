#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/text_editor.h"
#include "testing/test_program.h"

namespace {

namespace fs = std::filesystem;

/// A fake editor: waits until the test lets it go (so a launcher that waits for it would hang),
/// then writes its path, its arguments and what it inherited, ending with "end".
std::string FakeEditor(const fs::path& fifo, const fs::path& output, int watchedDescriptor) {
  const std::string fd = "/proc/$$/fd/";
  return "#!/bin/sh\nread go < '" + fifo.string() + "'\nquiet=no\n[ " + fd +
         "0 -ef /dev/null ] && [ " + fd + "1 -ef /dev/null ] && [ " + fd +
         "2 -ef /dev/null ] && quiet=yes\ninherited=no\n[ -e " + fd +
         std::to_string(watchedDescriptor) +
         " ] && inherited=yes\nprintf '%s\\n' \"$0\" \"$#\" \"$@\" " +
         "\"quiet=$quiet\" \"inherited=$inherited\" end > '" + output.string() + "'\n";
}

std::string WaitForOutput(const fs::path& output) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::ifstream in(output);
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().ends_with("end\n")) return text.str();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "timed out";
}

TEST(TextEditorTest, StartsNotepadElseTheOpenerDetachedWithThePathAsOneArgument) {
  struct Case {
    const char* name;
    std::vector<std::string> files;  // in PATH folders "one" and "two"; "-x" marks not executable
    std::u16string path;
    std::string program;  // that was started
    std::string argument;
  };
  const Case cases[] = {
      {"notepad wins",
       {"one/xdg-open", "two/notepad"},
       u"/tmp/a b \"c\" ü.txt",
       "two/notepad",
       "/tmp/a b \"c\" ü.txt"},
      {"not executable", {"one/notepad-x", "two/xdg-open"}, u"", "two/xdg-open", ""},
      {"option-like path", {"one/notepad"}, u"-n.txt", "one/notepad", "./-n.txt"},
  };
  const char* savedPath = std::getenv("PATH");
  const std::string originalPath = savedPath != nullptr ? savedPath : "";
  for (const auto& c : cases) {
    TempDir dir;
    const fs::path fifo = dir.path() / "go", output = dir.path() / "out";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int release = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    const int watched = ::fcntl(release, F_DUPFD, 50);  // open without close-on-exec
    for (std::string file : c.files) {
      const bool executable = !file.ends_with("-x");
      if (!executable) file.resize(file.size() - 2);
      const fs::path script = dir.Write(file, FakeEditor(fifo, output, watched));
      ::chmod(script.c_str(), executable ? 0700 : 0600);
    }
    ::setenv(
        "PATH",
        ("relative:" + (dir.path() / "one").string() + ":" + (dir.path() / "two").string()).c_str(),
        1);

    ::alarm(30);  // a launcher that waited for the editor would hang here
    platform::StartTextEditor(c.path);
    ::alarm(0);
    ::setenv("PATH", originalPath.c_str(), 1);
    int status = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1) << c.name << ": a child was left behind";
    EXPECT_EQ(errno, ECHILD) << c.name;

    ASSERT_EQ(::write(release, "go\n", 3), 3);
    EXPECT_EQ(WaitForOutput(output), (dir.path() / c.program).string() + "\n1\n" + c.argument +
                                         "\nquiet=yes\ninherited=no\nend\n")
        << c.name;
    ::close(watched);
    ::close(release);
  }
}

}  // namespace
