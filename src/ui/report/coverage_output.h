#pragma once

#include <string>

#include "shell/main_form.h"

/// The "coverage" member of the JSON report: what the run left out and why, every list with its
/// full count and a truncated flag.
std::string CoverageJson(const MainForm& form);

/// The coverage block at the end of the text report, every name and path escaped.
std::string CoverageText(const MainForm& form);

/// The warnings for stderr, one line each: "<config>:<line>: Warnung: ..." for a person without
/// terms or a FOLDER inside an earlier one, "<path>: <reason>" for a folder or file that could
/// not be searched, and a count of what the limit of the lists left unnamed.
std::string CoverageWarnings(const std::string& config, const MainForm& form);
