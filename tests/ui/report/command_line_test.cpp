#include "command_line.h"

#include <gtest/gtest.h>

#include "report_output.h"

namespace {

TEST(CommandLineTest, ReadsOptionsAndExactlyOneConfiguration) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;  // empty: usable
    ReportFormat format = ReportFormat::Text;
    ReportRequest::Log log = ReportRequest::Log::BesideConfig;
  };
  const Case cases[] = {
      {{"a.cfg"}, ""},
      {{"--format", "json", "a.cfg"}, "", ReportFormat::Json},
      {{"--format=csv", "a.cfg"}, "", ReportFormat::Csv},
      {{"a.cfg", "--format", "text"}, "", ReportFormat::Text},
      {{"--no-log", "a.cfg"}, "", ReportFormat::Text, ReportRequest::Log::None},
      {{"--log", "x.log", "a.cfg"}, "", ReportFormat::Text, ReportRequest::Log::File},
      {{"--", "--odd.cfg"}, ""},
      {{}, "no configuration file given"},
      {{"a.cfg", "b.cfg"}, "more than one configuration file given"},
      {{"--format", "xml", "a.cfg"}, "unknown format: xml"},
      {{"--format"}, "--format needs a value"},
      {{"--verbose", "a.cfg"}, "unknown option: --verbose"},
      {{"--log", "x", "--no-log", "a.cfg"}, "--log and --no-log may be given once"},
  };
  for (const auto& c : cases) {
    const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.Error, c.error) << testing::PrintToString(c.arguments);
    if (c.error.empty()) {
      EXPECT_EQ(parsed.Request.Format, c.format);
      EXPECT_EQ(parsed.Request.LogChoice, c.log);
    }
  }
  EXPECT_EQ(ParseCommandLine({"--log", "x.log", "a.cfg"}).Request.LogFile, "x.log");
  EXPECT_EQ(ParseCommandLine({"--", "--odd.cfg"}).Request.Config, "--odd.cfg");
  EXPECT_TRUE(ParseCommandLine({"--help"}).Request.Help);
}

TEST(ReportOutputTest, JsonAndCsvQuoteWhatTheyMust) {
  EXPECT_EQ(JsonString("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\nd\\u0001\"");
  EXPECT_EQ(JsonString("Müller"), "\"Müller\"");
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
}

}  // namespace
