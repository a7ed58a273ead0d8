#include "command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineTest, ReadsOptionsAndExactlyOneConfiguration) {
  using enum ReportFormat;
  using Log = ReportRequest::Log;
  struct Case {
    std::vector<std::string> arguments;
    std::string error;  // empty: usable
    ReportFormat format = Text;
    Log log = Log::BesideConfig;
    std::string config = "a.cfg", logFile = "";
    std::int32_t threads = 0;
  };
  const Case cases[] = {
      {{"--format=csv", "a.cfg"}, "", Csv},
      {{"a.cfg", "--format", "text"}, "", Text},
      {{"--", "--odd.cfg"}, "", Text, Log::BesideConfig, "--odd.cfg"},
      {{"--threads", "3", "a.cfg"}, "", Text, Log::BesideConfig, "a.cfg", "", 3},
      {{"--threads=1", "a.cfg"}, "", Text, Log::BesideConfig, "a.cfg", "", 1},
      {{"--threads=0", "a.cfg"}, "--threads needs a number from 1 to 256: 0"},
      {{"--threads", "-2", "a.cfg"}, "--threads needs a number from 1 to 256: -2"},
      {{"--threads", "99999999999", "a.cfg"},
       "--threads needs a number from 1 to 256: 99999999999"},
      {{"a.cfg", "b.cfg"}, "more than one configuration file given"},
      {{"--format", "xml", "a.cfg"}, "unknown format: xml"},
      {{"--format"}, "--format needs a value"},
      {{"--verbose", "a.cfg"}, "unknown option: --verbose"},
      {{"--log", "x", "--no-log", "a.cfg"}, "--log and --no-log may be given once"},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.Error, c.error) << testing::PrintToString(c.arguments);
    if (!c.error.empty()) continue;
    const ReportRequest& request = parsed.Request;
    EXPECT_EQ(std::tie(request.Format, request.LogChoice, request.Config, request.LogFile,
                       request.Threads),
              std::tie(c.format, c.log, c.config, c.logFile, c.threads))
        << testing::PrintToString(c.arguments);
  }
  EXPECT_TRUE(ParseCommandLine({"--help"}).Request.Help);
}

// Faults: --clear-cache alone refused for want of CONFIG; the cache and progress options lost.
TEST(CommandLineTest, CacheAndProgressOptions) {
  using Progress = ReportRequest::Progress;
  const ParsedCommandLine alone = ParseCommandLine({"--clear-cache"});
  EXPECT_EQ(alone.Error, "");
  EXPECT_TRUE(alone.Request.ClearCache && alone.Request.Config.empty());
  EXPECT_EQ(ParseCommandLine({"--no-cache"}).Error, "no configuration file given");
  const ReportRequest request =
      ParseCommandLine({"--no-cache", "--progress", "--clear-cache", "a.cfg"}).Request;
  EXPECT_TRUE(request.NoCache && request.ClearCache);
  EXPECT_EQ(request.ProgressChoice, Progress::Always);
  EXPECT_EQ(ParseCommandLine({"--no-progress", "a.cfg"}).Request.ProgressChoice, Progress::Never);
  EXPECT_EQ(ParseCommandLine({"a.cfg"}).Request.ProgressChoice, Progress::Terminal);
}

}  // namespace
