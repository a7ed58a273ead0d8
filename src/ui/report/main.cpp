// fundort-report: the window's run on a configuration file, shown on the console.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command_line.h"
#include "console_observer.h"
#include "coverage_output.h"
#include "platform/console.h"
#include "platform/output_pipe.h"
#include "platform/stop_requests.h"
#include "platform/system.h"
#include "platform/utf8.h"
#include "report_output.h"
#include "run/run_session.h"

namespace {

constexpr int kCompleted = 0;
constexpr int kCompletedWithMessages = 1;
constexpr int kUsageOrConfigurationError = 2;
constexpr int kOutputFailed = 3;
constexpr int kIncomplete = 4;
constexpr int kStopped = 130;

/// Why the run must not start although the command line is well formed: the log would be
/// written into the configuration itself, or CONFIG names a folder. Empty when all is well.
std::string LogConflict(platform::System& system, const ReportRequest& request) {
  const std::string& config = request.Config;
  const std::u16string configPath = platform::FromUtf8(config);
  if (!configPath.empty() && configPath.back() == system.PathSeparator()) {
    return "CONFIG names a folder: " + config;
  }
  if (request.LogChoice == ReportRequest::Log::BesideConfig && config.ends_with(".log")) {
    return "the log beside " + config +
           " would be the configuration itself; use --log FILE or --no-log";
  }
  if (request.LogChoice == ReportRequest::Log::File) {
    const auto logIdentity = system.IdentityOf(platform::FromUtf8(request.LogFile));
    if (request.LogFile == config ||
        (logIdentity.has_value() && logIdentity == system.IdentityOf(configPath))) {
      return "--log names the configuration file";
    }
  }
  return {};
}

RunOptions OptionsFor(const ReportRequest& request) {
  RunOptions options;
  const std::u16string config = platform::FromUtf8(request.Config);
  // The configuration's base name plays the program's part: it names the log beside it.
  options.ProgramPathOverride = config;
  options.ConfigFileOverride = config;
  options.SearchWorkers = request.Threads;
  switch (request.LogChoice) {
    case ReportRequest::Log::BesideConfig:
      options.Log = LogDestination::BesideProgram;
      break;
    case ReportRequest::Log::File:
      options.Log = LogDestination::File;
      options.LogFile = platform::FromUtf8(request.LogFile);
      break;
    case ReportRequest::Log::None:
      options.Log = LogDestination::None;
      break;
  }
  if (request.NoCache) options.RecognitionCacheFolder = std::string();
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  // Listening before anything else, so that a request to end that comes at any moment, even
  // before the run starts, ends the run with its EXIT logged and a valid report.
  std::atomic<bool> stopRequested = false;
  const platform::StopRequests stopRequests(
      [&stopRequested] { stopRequested.store(true, std::memory_order_relaxed); });
  // A reader that stops early makes the report's write fail (exit status 3), not kill the run.
  platform::IgnoreBrokenPipes();
  platform::PrepareStandardOutput();
  const ParsedCommandLine parsed = ParseCommandLine(platform::ProgramArguments(argc, argv));
  if (parsed.Request.Help && parsed.Error.empty()) {
    std::fputs(UsageText().c_str(), stdout);
    return kCompleted;
  }
  if (parsed.Request.Version && parsed.Error.empty()) {
    std::fputs("fundort-report " FUNDORT_VERSION "\n", stdout);
    return kCompleted;
  }
  if (!parsed.Error.empty()) {
    std::fprintf(stderr, "fundort-report: %s\n\n%s", parsed.Error.c_str(), UsageText().c_str());
    return kUsageOrConfigurationError;
  }
  const ReportRequest& request = parsed.Request;
  if (request.ClearCache) {
    const std::string folder = RecognisedTextCache::DefaultFolder();
    if (!folder.empty() && !RecognisedTextCache::Clear(folder)) {
      std::fprintf(stderr, "fundort-report: cannot clear the cache in %s: %s\n", folder.c_str(),
                   std::strerror(errno));
      return kUsageOrConfigurationError;
    }
    if (request.Config.empty()) return kCompleted;
  }
  if (const std::string conflict = LogConflict(platform::OperatingSystem(), request);
      !conflict.empty()) {
    std::fprintf(stderr, "fundort-report: %s\n", conflict.c_str());
    return kUsageOrConfigurationError;
  }

  ConsoleObserver observer(request.Config, stopRequested);
  if (request.ProgressChoice == ReportRequest::Progress::Always ||
      (request.ProgressChoice == ReportRequest::Progress::Terminal &&
       platform::StandardErrorIsTerminal())) {
    observer.ShowProgress();
  }
  RunSession session(OptionsFor(request), observer);

  session.Load();
  // The log beside the configuration is the configuration itself under another name (a link).
  if (session.Outcome().LogIsConfiguration) {
    std::fprintf(stderr,
                 "fundort-report: the log would be the configuration itself; use --log FILE or "
                 "--no-log\n");
    return kUsageOrConfigurationError;
  }
  // A request that came before the run is its first step's: no configuration line is carried out.
  if (stopRequests.Requested() || !observer.Checkpoint()) session.RequestStop();
  session.Run();
  observer.ClearProgress();
  session.End();
  const RunOutcome outcome = session.Outcome();
  // The run goes on without the lines it could not log, but does not pass for complete.
  if (outcome.LogLinesLost != 0) {
    std::fprintf(stderr, "fundort-report: %d log lines could not be written: %s\n",
                 outcome.LogLinesLost, platform::ToDisplayUtf8(outcome.LogFailure).c_str());
  }

  if (outcome.Configuration != ConfigurationState::Read) return kUsageOrConfigurationError;

  const std::string warnings = CoverageWarnings(request.Config, session);
  std::fputs(warnings.c_str(), stderr);
  const ReportData data{request.Config, &session, observer.Errors()};
  const std::string output = FormatReport(data, request.Format);
  const bool written = std::fwrite(output.data(), 1, output.size(), stdout) == output.size() &&
                       std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
  if (!written) {
    // A report that did not reach its reader must not look like a completed run.
    std::fprintf(stderr, "fundort-report: cannot write the report: %s\n", std::strerror(errno));
    return kOutputFailed;
  }

  if (outcome.Stopped) return kStopped;
  if (outcome.ErrorsReported != 0) return kCompletedWithMessages;
  const RunCoverage& coverage = session.Coverage();
  const bool termless = request.Strict && coverage.PersonsWithoutTerms.Count > 0;
  return coverage.Incomplete() || termless || outcome.LogLinesLost != 0 ? kIncomplete : kCompleted;
}
