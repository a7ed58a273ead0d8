#include "config/config_line.h"

#include "platform/utf8.h"
#include "support/field_list.h"
#include "support/number_text.h"

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

/// The encoding a value of ENCODING names, if any.
std::optional<platform::TextEncoding> EncodingNamed(std::u16string_view name) {
  if (name == u"ANSI") return platform::TextEncoding::Ansi;
  if (name == u"UTF-8") return platform::TextEncoding::Utf8;
  if (name == u"UTF-16") return platform::TextEncoding::Utf16;
  return std::nullopt;
}

/// A line that is logged and then refused with message.
ConfigLine Refused(std::u16string message) {
  return ConfigLine{std::monostate{}, true, std::move(message)};
}

/// A line that is logged and carried out.
ConfigLine Accepted(ConfigLine::Command command) {
  return ConfigLine{std::move(command), true, std::nullopt};
}

}  // namespace

ConfigLine ParseConfigLine(const std::u16string& line, const platform::CodePage& codePage) {
  const std::size_t bar = line.find(kSeparator);
  const std::u16string_view rawCommand = bar == std::u16string::npos
                                             ? std::u16string_view(line)
                                             : std::u16string_view(line).substr(0, bar);
  const std::u16string parameters =
      bar == std::u16string::npos ? std::u16string(kSeparator) : line.substr(bar);
  const std::u16string command = TrimBlanks(codePage.UpperCase(rawCommand));
  const std::int32_t fields = FieldCount(parameters, kSeparator);
  const auto keyword = [&](std::u16string_view value) {
    return TrimBlanks(codePage.UpperCase(value));
  };

  if (command == u"FOLDER") {
    if (fields != 1) return Refused(CountMessage(command));
    return Accepted(FolderCommand{GetField(parameters, 1, kSeparator)});
  }
  if (command == u"NAME") {
    if (fields < 1) return Refused(CountMessage(command));
    return Accepted(
        NameCommand{GetField(parameters, 1, kSeparator), FieldsAfterFirst(parameters, kSeparator)});
  }
  if (command == u"SEARCHMODE") {
    if (fields != 1) return Refused(CountMessage(command));
    const std::u16string value = GetField(parameters, 1, kSeparator);
    const std::u16string mode = keyword(value);
    if (mode == u"TEXT") return Accepted(SearchModeCommand{SearchMode::Text});
    if (mode == u"BINARY") return Accepted(SearchModeCommand{SearchMode::Binary});
    return Refused(u"Unbekannter Suchmodus \"" + value + u"\".");
  }
  if (command == u"DOCUMENTS") {
    if (fields != 1) return Refused(CountMessage(command));
    const std::u16string value = GetField(parameters, 1, kSeparator);
    const std::u16string setting = keyword(value);
    if (setting == u"OFF") return Accepted(DocumentsCommand{DocumentReading::Off});
    if (setting == u"ON") return Accepted(DocumentsCommand{DocumentReading::On});
    return Refused(u"Unbekannter Wert \"" + value + u"\".");
  }
  if (command == u"OCR") {
    if (fields < 1) return Refused(CountMessage(command));
    const std::vector<std::u16string_view> values = SplitFields(parameters, kSeparator);
    const std::u16string setting = keyword(values.front());
    if (setting == u"OFF" && fields == 1) return Accepted(RecognitionCommand{false, {}});
    if (setting == u"OFF") return Refused(CountMessage(command));
    if (setting != u"ON")
      return Refused(u"Unbekannter Wert \"" + std::u16string(values.front()) + u"\".");
    RecognitionCommand recognition{true, {}};
    for (std::size_t i = 1; i < values.size(); ++i)
      recognition.Languages.push_back(platform::ToUtf8(values[i]));
    return Accepted(std::move(recognition));
  }
  if (command == u"FILETYPE") {
    if (fields == 2) {
      return Accepted(FileTypeCommand{GetField(parameters, 1, kSeparator),
                                      ReadNumber(GetField(parameters, 2, kSeparator))});
    }
    if (fields == 1) return Accepted(FileTypeCommand{GetField(parameters, 1, kSeparator), -1});
    return Refused(CountMessage(command));
  }
  if (command == u"ENCODING") {
    if (fields < 1) return Refused(CountMessage(command));
    // The line takes effect only as a whole: one unknown value leaves the encodings as they were.
    platform::TextEncodings chosen;
    for (const std::u16string_view value : SplitFields(parameters, kSeparator)) {
      const auto encoding = EncodingNamed(keyword(value));
      if (!encoding) return Refused(u"Unbekannte Kodierung \"" + std::u16string(value) + u"\".");
      chosen.Add(*encoding);
    }
    return Accepted(EncodingCommand{chosen});
  }
  if (command.empty()) return {};
  return ConfigLine{std::monostate{}, false, u"Unbekannter Befehl: \"" + command + u"\""};
}
