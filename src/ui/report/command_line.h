#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// Output formats of the report.
enum class ReportFormat { Text, Json, Csv };

/// What the command line asks for.
struct ReportRequest {
  ReportFormat Format = ReportFormat::Text;
  enum class Log { BesideConfig, File, None } LogChoice = Log::BesideConfig;
  std::string LogFile;
  std::string Config;
  bool Help = false;
  bool Version = false;  ///< print the program's name and version, nothing else
  /// A person without search terms makes the run incomplete (exit status 4) too.
  bool Strict = false;
  /// Files searched at once; 0: as many as the machine has cores.
  std::int32_t Threads = 0;
  /// Recognised text is neither taken from nor kept in the cache.
  bool NoCache = false;
  /// The cache of recognised text is emptied before the run (or, without CONFIG, alone).
  bool ClearCache = false;
  /// The progress line on stderr: when stderr is a terminal, always, or never.
  enum class Progress { Terminal, Always, Never } ProgressChoice = Progress::Terminal;
};

/// The result of reading the command line: a request, or the reason it is unusable.
struct ParsedCommandLine {
  ReportRequest Request;
  std::string Error;  ///< empty when the command line is usable
};

/// Reads the arguments after the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

/// The usage text.
std::string UsageText();
