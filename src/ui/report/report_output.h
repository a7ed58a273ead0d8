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

/// A name or path for one line of the text report, so that no name can break, forge, recolour
/// or disguise a line and two different names never look alike: a byte of a file name that is
/// not UTF-8 (held as U+DC80 + byte), every C0 control and DEL become "\xHH"; C1 controls, the
/// line and paragraph separators, the bidirectional controls (U+061C, U+200E, U+200F,
/// U+202A-U+202E, U+2066-U+2069) and the invisible format characters (U+200B-U+200D, U+2060,
/// U+FEFF) become "\uHHHH". A run of backslashes right before an escape, or before what would
/// read as one ("x" and two hexadecimal digits, "u" and four), has each backslash doubled, so an
/// odd run ends in an escape and an even one does not; every other backslash, such as those of
/// a Windows or network path, stays as it is.
std::string TextField(std::u16string_view text);

/// The same for bytes as a command line gives them: UTF-8 where they are valid.
std::string TextField(const std::string& bytes);

/// The exact bytes of a path, in base64, when it holds a byte that is not UTF-8 (a path that
/// JSON and CSV can only show with U+FFFD in its place); empty for a path in UTF-8.
std::string PathBytes(std::u16string_view path);

/// "key": the path as JSON string, followed by "keyBytes": its exact bytes when PathBytes has
/// any, so that a reader tells apart two paths that show alike.
std::string JsonPath(const std::string& key, std::u16string_view path);

/// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& utf8);
