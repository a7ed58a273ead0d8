#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "console_observer.h"
#include "run/run_session.h"

/// Everything the report prints, gathered from a session after its run.
struct ReportData {
  std::string Config;  ///< the configuration path as given
  const RunSession* Session = nullptr;
  std::vector<ReportedError> Errors;
};

/// The report in the chosen format, UTF-8.
std::string FormatReport(const ReportData& data, ReportFormat format);

/// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& utf8);

/// A name or path for one line of the text report: every C0 control and DEL become "\xHH", every
/// C1 control and U+2028/U+2029 "\uHHHH", so no name can break, forge or recolour a line.
std::string TextField(const std::string& utf8);

/// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& utf8);
