#pragma once

#include <string>

#include "run/run_session.h"

/// The "coverage" member of the JSON report: what the run left out and why, every list with its
/// full count and a truncated flag.
std::string CoverageJson(const RunSession& session);

/// The coverage block at the end of the text report, every name and path escaped.
std::string CoverageText(const RunSession& session);

/// The warnings for stderr, one line each: "<config>:<line>: Warnung: ..." for a person without
/// terms or a FOLDER inside an earlier one, "<path>: <reason>" for a folder or file that could
/// not be searched, and a count of what the limit of the lists left unnamed.
std::string CoverageWarnings(const std::string& config, const RunSession& session);
