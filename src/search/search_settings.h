#pragma once

#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "search/read_limits.h"

/// How contents are compared with the terms.
enum class SearchMode {
  Binary,  ///< BINARY: letters compared without regard to case
  Text,    ///< TEXT: exactly as written
};

/// Whether the texts inside documents are searched beside their raw bytes.
enum class DocumentReading { Off, On };

/// Whether the text in images and scanned pages is recognised, and if not, why.
enum class RecognitionState {
  On,
  Off,              ///< OCR|OFF|
  LanguageMissing,  ///< no data for the languages is installed
  NotBuilt,         ///< this build has no recognition
};

class RecognisedTextCache;

/// How the text in images and PDF pages without text is read.
struct RecognitionSettings {
  RecognitionState State = RecognitionState::NotBuilt;
  std::vector<std::string> Languages;  ///< the engine's language codes, "deu", "eng"
  /// Where recognised text is kept between runs; none: recognised anew.
  RecognisedTextCache* Cache = nullptr;
  /// The helper program that reads PDFs and scans in a process of its own; empty: they are read
  /// in the search's own process.
  std::string Helper;
};

/// What a search run is told by the configuration and the front end.
struct SearchSettings {
  SearchMode Mode = SearchMode::Binary;
  DocumentReading Documents = DocumentReading::Off;
  /// The encodings every term is looked for in.
  platform::TextEncodings Encodings;
  /// How files are read (block size, read-ahead).
  ReadLimits Reading{};
  /// Files searched at once, each by a worker thread of its own; 1 searches on the run's
  /// thread (with a read-ahead helper). Results come out in catalog order either way.
  std::int32_t Workers = 1;
  RecognitionSettings Recognition{};
};
