#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/system.h"
#include "platform/text_encoding.h"
#include "search/search_settings.h"

/// FOLDER|path|: walk the tree at path.
struct FolderCommand {
  std::u16string Path;
};
/// NAME|name|term|term|...|: a person and the terms that find them.
struct NameCommand {
  std::u16string Name;
  std::u16string Terms;  ///< the field list of terms, "|" first, as written
};
/// SEARCHMODE|TEXT| or SEARCHMODE|BINARY|.
struct SearchModeCommand {
  SearchMode Mode = SearchMode::Binary;
};
/// DOCUMENTS|ON| or DOCUMENTS|OFF|.
struct DocumentsCommand {
  DocumentReading Reading = DocumentReading::Off;
};
/// OCR|ON|lang|lang|...| or OCR|OFF|: whether text in images and scans is recognised, and in
/// which languages (the engine's codes, as written; none after ON: the default ones).
struct RecognitionCommand {
  bool On = false;
  std::vector<std::string> Languages;
};
/// FILETYPE|pattern|size|: files whose name matches, up to size bytes (NaN or negative: any).
struct FileTypeCommand {
  std::u16string Pattern;
  double MaxSize = -1;
};
/// ENCODING|name|name|...|: the encodings terms are looked for in.
struct EncodingCommand {
  platform::TextEncodings Encodings;
};

/// One configuration line as read, with no effect yet: what it asks for, whether it is logged,
/// and the message it earns when it cannot be carried out.
struct ConfigLine {
  using Command =
      std::variant<std::monostate, FolderCommand, NameCommand, SearchModeCommand, DocumentsCommand,
                   FileTypeCommand, EncodingCommand, RecognitionCommand>;
  /// The command to carry out; none for an empty, unknown or faulty line.
  Command Action;
  /// True for a known command: the line is written to the log before anything else happens.
  bool Logged = false;
  /// The message for an unknown command or a faulty line; the line then changes nothing.
  std::optional<std::u16string> Error;
};

/// Reads one configuration line ("COMMAND|field|field|"); commands and keyword values are
/// compared upper-cased by codePage with blanks at both ends dropped.
ConfigLine ParseConfigLine(const std::u16string& line, const platform::CodePage& codePage);
