#include <optional>

#include "shell/main_form.h"
#include "support/mathe_code.h"
#include "support/text_code.h"

namespace {

constexpr std::u16string_view kSeparator = u"|";

/// Removes blanks (only U+0020) at both ends.
std::u16string TrimBlanks(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(u' ');
  return std::u16string(text.substr(first, last - first + 1));
}

std::u16string CountMessage(std::u16string_view command) {
  return u"Anzahl Parameter bei Befehl \"" + std::u16string(command) + u"\" ist ungültig.";
}

/// The encoding a value of ENCODING names (compared like a SEARCHMODE value), if any.
std::optional<platform::TextEncoding> EncodingNamed(std::u16string_view name) {
  if (name == u"ANSI") return platform::TextEncoding::Ansi;
  if (name == u"UTF-8") return platform::TextEncoding::Utf8;
  if (name == u"UTF-16") return platform::TextEncoding::Utf16;
  return std::nullopt;
}

}  // namespace

void MainForm::ExecConfigLine(const std::u16string& line) {
  const std::size_t bar = line.find(kSeparator);
  const std::u16string_view rawCommand = bar == std::u16string::npos
                                             ? std::u16string_view(line)
                                             : std::u16string_view(line).substr(0, bar);
  const std::u16string parameters =
      bar == std::u16string::npos ? std::u16string(kSeparator) : line.substr(bar);
  const std::u16string command = TrimBlanks(System().CodePage().UpperCase(rawCommand));
  const std::int32_t fields = FieldCount(parameters, kSeparator);

  if (command == u"FOLDER") {
    WriteLog(u"CONFIG: " + line);
    if (fields == 1) {
      ReadFolder(GetField(parameters, 1, kSeparator), 0);
    } else {
      ShowError(CountMessage(command));
    }
  } else if (command == u"NAME") {
    WriteLog(u"CONFIG: " + line);
    if (fields >= 1) {
      AddPerson(GetField(parameters, 1, kSeparator), FieldsAfterFirst(parameters, kSeparator));
    } else {
      ShowError(CountMessage(command));
    }
  } else if (command == u"SEARCHMODE") {
    WriteLog(u"CONFIG: " + line);
    if (fields != 1) {
      ShowError(CountMessage(command));
      return;
    }
    const std::u16string value = GetField(parameters, 1, kSeparator);
    const std::u16string mode = TrimBlanks(System().CodePage().UpperCase(value));
    if (mode == u"TEXT") {
      SearchMode = 2;
    } else if (mode == u"BINARY") {
      SearchMode = 1;
    } else {
      ShowError(u"Unbekannter Suchmodus \"" + value + u"\".");
    }
  } else if (command == u"DOCUMENTS") {
    WriteLog(u"CONFIG: " + line);
    if (fields != 1) {
      ShowError(CountMessage(command));
      return;
    }
    const std::u16string value = GetField(parameters, 1, kSeparator);
    const std::u16string setting = TrimBlanks(System().CodePage().UpperCase(value));
    if (setting == u"OFF") {
      Documents = DocumentReading::Off;
    } else if (setting != u"ON") {
      ShowError(u"Unbekannter Wert \"" + value + u"\".");
    } else if (DocumentsReadable()) {
      Documents = DocumentReading::On;
    } else {
      ShowError(u"Dokumente lesen ist in dieser Version nicht möglich.");
    }
  } else if (command == u"FILETYPE") {
    WriteLog(u"CONFIG: " + line);
    if (fields == 2) {
      AddFileType(GetField(parameters, 1, kSeparator),
                  ReadNumber(GetField(parameters, 2, kSeparator)));
    } else if (fields == 1) {
      AddFileType(GetField(parameters, 1, kSeparator), -1);
    } else {
      ShowError(CountMessage(command));
    }
  } else if (command == u"ENCODING") {
    WriteLog(u"CONFIG: " + line);
    if (fields < 1) {
      ShowError(CountMessage(command));
      return;
    }
    // The line takes effect only as a whole: one unknown value leaves the encodings as they were.
    platform::TextEncodings chosen;
    for (const std::u16string_view value : SplitFields(parameters, kSeparator)) {
      const auto encoding = EncodingNamed(TrimBlanks(System().CodePage().UpperCase(value)));
      if (!encoding) {
        ShowError(u"Unbekannte Kodierung \"" + std::u16string(value) + u"\".");
        return;
      }
      chosen.Add(*encoding);
    }
    Encodings = chosen;
  } else if (!command.empty()) {
    ShowError(u"Unbekannter Befehl: \"" + command + u"\"");
  }
}
