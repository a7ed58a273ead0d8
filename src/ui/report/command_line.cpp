#include "command_line.h"

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  ReportRequest& request = parsed.Request;
  bool logChosen = false;
  std::vector<std::string> configs;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    auto value = [&](const std::string& option, std::string& out) {
      const std::string prefix = option + "=";
      if (argument.rfind(prefix, 0) == 0) {
        out = argument.substr(prefix.size());
        return true;
      }
      if (argument != option) return false;
      if (i + 1 >= arguments.size()) {
        parsed.Error = option + " needs a value";
        out.clear();
        return true;
      }
      out = arguments[++i];
      return true;
    };
    std::string text;
    if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
      configs.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      request.Help = true;
    } else if (argument == "--version") {
      request.Version = true;
    } else if (argument == "--strict") {
      request.Strict = true;
    } else if (argument == "--no-cache") {
      request.NoCache = true;
    } else if (argument == "--clear-cache") {
      request.ClearCache = true;
    } else if (argument == "--progress") {
      request.ProgressChoice = ReportRequest::Progress::Always;
    } else if (argument == "--no-progress") {
      request.ProgressChoice = ReportRequest::Progress::Never;
    } else if (value("--format", text)) {
      if (!parsed.Error.empty()) return parsed;
      if (text == "text") {
        request.Format = ReportFormat::Text;
      } else if (text == "json") {
        request.Format = ReportFormat::Json;
      } else if (text == "csv") {
        request.Format = ReportFormat::Csv;
      } else {
        parsed.Error = "unknown format: " + text;
        return parsed;
      }
    } else if (value("--threads", text)) {
      if (!parsed.Error.empty()) return parsed;
      // A plain decimal number; more threads than this would only wait for each other.
      constexpr std::int32_t kMostThreads = 256;
      std::int32_t threads = 0;
      for (const char digit : text) {
        if (digit < '0' || digit > '9' || threads > kMostThreads) {
          threads = 0;
          break;
        }
        threads = threads * 10 + (digit - '0');
      }
      if (threads < 1 || threads > kMostThreads) {
        parsed.Error = "--threads needs a number from 1 to 256: " + text;
        return parsed;
      }
      request.Threads = threads;
    } else if (value("--log", text)) {
      if (!parsed.Error.empty()) return parsed;
      if (logChosen) {
        parsed.Error = "--log and --no-log may be given once";
        return parsed;
      }
      logChosen = true;
      request.LogChoice = ReportRequest::Log::File;
      request.LogFile = text;
    } else if (argument == "--no-log") {
      if (logChosen) {
        parsed.Error = "--log and --no-log may be given once";
        return parsed;
      }
      logChosen = true;
      request.LogChoice = ReportRequest::Log::None;
    } else {
      parsed.Error = "unknown option: " + argument;
      return parsed;
    }
  }
  if (request.Help || request.Version) return parsed;
  if (configs.empty() && request.ClearCache) return parsed;  // only the cache is cleared
  if (configs.size() != 1) {
    parsed.Error =
        configs.empty() ? "no configuration file given" : "more than one configuration file given";
    return parsed;
  }
  request.Config = configs.front();
  return parsed;
}

std::string UsageText() {
  return "usage: fundort-report [--format text|json|csv] [--log FILE | --no-log] [--strict]\n"
         "                      [--threads N] [--no-cache] [--clear-cache]\n"
         "                      [--progress | --no-progress] CONFIG\n"
         "       fundort-report --clear-cache\n"
         "\n"
         "Runs the search that CONFIG describes, without a window, and prints which files\n"
         "mention which person, and what could not be searched.\n"
         "\n"
         "  --format text|json|csv  output format on stdout (default: text)\n"
         "  --log FILE              write the activity log to FILE\n"
         "  --no-log                write no activity log\n"
         "                          (default: CONFIG's folder, CONFIG's base name + .log)\n"
         "  --strict                a person without search terms makes the run incomplete\n"
         "  --threads N             search N files at once (default: one per core; 1 searches\n"
         "                          on one thread with read-ahead); the output is the same\n"
         "  --no-cache              neither use nor fill the cache of recognised text\n"
         "  --clear-cache           empty the cache of recognised text first (alone: only that)\n"
         "  --progress              show a progress line on stderr (default: when a terminal)\n"
         "  --no-progress           show no progress line\n"
         "  --help                  show this help\n"
         "  --version               show the program's version\n"
         "\n"
         "Messages and warnings go to stderr as CONFIG:LINE: TEXT, folders and files that could\n"
         "not be searched as PATH: REASON.\n"
         "\n"
         "Exit status: 0 completed, 1 completed with configuration messages,\n"
         "2 usage error or configuration file missing or unreadable, 3 the report could not be\n"
         "written, 4 completed without messages but part of the trees could not be searched\n"
         "(a missing or unreadable folder, an unreadable file, a scan whose text was not\n"
         "recognised; with --strict also a person without search terms), 130 stopped by a\n"
         "signal.\n";
}
