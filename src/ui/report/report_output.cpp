#include "report_output.h"

#include <cstdio>
#include <utility>

#include "coverage_output.h"
#include "platform/utf8.h"
#include "run/person_order.h"
#include "support/field_list.h"
#include "support/number_text.h"

namespace {

std::string Display(std::u16string_view text) {
  return platform::ToDisplayUtf8(text);
}

/// A name or path on one line of the text report.
std::string OneLine(std::u16string_view text) {
  return TextField(Display(text));
}

std::vector<std::u16string> Terms(const Person& person) {
  const std::vector<std::u16string_view> fields = SplitFields(person.Terms, u"|");
  return std::vector<std::u16string>(fields.begin(), fields.end());
}

std::string Integer(long long value) {
  return std::to_string(value);
}

/// The enabled encodings as JSON strings, always in the same order.
std::string EncodingNames(platform::TextEncodings encodings) {
  using platform::TextEncoding;
  std::string names;
  for (const auto& [encoding, name] :
       {std::pair{TextEncoding::Ansi, "\"ANSI\""}, std::pair{TextEncoding::Utf8, "\"UTF-8\""},
        std::pair{TextEncoding::Utf16, "\"UTF-16\""}}) {
    if (encodings.Has(encoding)) names += (names.empty() ? "" : ", ") + std::string(name);
  }
  return names;
}

/// The total size as the window shows it.
std::u16string TotalSizeText(const FileCatalog& catalog) {
  return FormatSize(catalog.TotalSize(), 2);
}

std::string TextReport(const ReportData& data) {
  const RunSession& session = *data.Session;
  const FileCatalog& catalog = session.Catalog();
  std::string out =
      "Anzahl Verzeichnisse: " + Integer(static_cast<long long>(catalog.FolderCount())) +
      "  Anzahl Dateien: " + Integer(static_cast<long long>(catalog.FileCount())) +
      "  Gesamtgröße: " + Display(TotalSizeText(catalog)) + "\n";
  for (std::size_t p = 0; p < session.Persons().Count(); ++p) {
    const PersonId id = IdOf<PersonId>(p);
    const std::vector<FileId>& files = session.Hits().FilesOf(id);
    out += OneLine(session.Persons()[id].Name) + " (" +
           Integer(static_cast<long long>(files.size())) + ")\n";
    for (const FileId file : files)
      out += "  " + OneLine(catalog.FilePath(file)) + "\n";
  }
  // Documents whose text could not be read were searched by their raw bytes only.
  if (!session.NotExtractedFiles().empty()) out += "Dokumente, nur als Bytes durchsucht:\n";
  for (const NotExtractedFile& entry : session.NotExtractedFiles())
    out += "  " + OneLine(catalog.FilePath(entry.File)) + " (" + TextField(entry.Reason) + ")\n";
  if (session.PagesRecognised() > 0) {
    out += "Texterkennung: " + Integer(session.PagesRecognised()) + " Seiten, davon " +
           Integer(session.PagesFromCache()) + " aus dem Zwischenspeicher\n";
  }
  return out + CoverageText(session);
}

std::string JsonReport(const ReportData& data) {
  const RunSession& session = *data.Session;
  const FileCatalog& catalog = session.Catalog();
  std::string out = "{\"config\": " + JsonString(Display(platform::FromUtf8(data.Config)));
  out += ", \"searchMode\": ";
  out += session.Settings().Mode == SearchMode::Text ? "\"TEXT\"" : "\"BINARY\"";
  out += ", \"encodings\": [" + EncodingNames(session.Settings().Encodings) + "]";
  out += ", \"folderCount\": " + Integer(static_cast<long long>(catalog.FolderCount()));
  out += ", \"fileCount\": " + Integer(static_cast<long long>(catalog.FileCount()));
  char size[64];
  std::snprintf(size, sizeof size, "%.0f", catalog.TotalSize());
  out += ", \"totalSize\": " + std::string(size);
  out += ", \"allSize\": " + JsonString(Display(TotalSizeText(catalog)));
  out += ", \"status\": " + JsonString(Display(session.Status()));
  out += ",\n \"persons\": [";
  for (std::size_t p = 0; p < session.Persons().Count(); ++p) {
    const Person& person = session.Persons()[IdOf<PersonId>(p)];
    const std::vector<FileId>& files = session.Hits().FilesOf(IdOf<PersonId>(p));
    out += p == 0 ? "\n  " : ",\n  ";
    out += "{\"number\": " + Integer(static_cast<long long>(p) + 1);
    out += ", \"name\": " + JsonString(Display(person.Name));
    out += ", \"terms\": [";
    const std::vector<std::u16string> terms = Terms(person);
    for (std::size_t t = 0; t < terms.size(); ++t) {
      out += (t == 0 ? "" : ", ") + JsonString(Display(terms[t]));
    }
    out += "], \"hits\": " + Integer(static_cast<long long>(files.size()));
    out += ", \"files\": [";
    for (std::size_t f = 0; f < files.size(); ++f) {
      out += (f == 0 ? "" : ", ") + JsonString(Display(catalog.FilePath(files[f])));
    }
    out += "]}";
  }
  // The order "Liste sortieren" gives at the end of the run.
  out += "],\n \"sortedNames\": [";
  const std::vector<PersonId> sorted = PersonsByHits(session.Persons(), session.Hits());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    out += (i == 0 ? "" : ", ") + JsonString(Display(session.Persons()[sorted[i]].Name));
  }
  out += "],\n \"unreadable\": [";
  for (std::size_t i = 0; i < session.UnreadableFiles().size(); ++i) {
    out +=
        (i == 0 ? "" : ", ") + JsonString(Display(catalog.FilePath(session.UnreadableFiles()[i])));
  }
  out += "],\n \"notExtracted\": [";
  for (std::size_t i = 0; i < session.NotExtractedFiles().size(); ++i) {
    const NotExtractedFile& entry = session.NotExtractedFiles()[i];
    out += (i == 0 ? "" : ", ");
    out += "{\"file\": " + JsonString(Display(catalog.FilePath(entry.File))) +
           ", \"reason\": " + JsonString(entry.Reason) +
           ", \"unread\": " + (entry.Unread ? "true" : "false") + "}";
  }
  // What recognition read: pages in all, pages from the cache, and each file's confidence.
  out += "],\n \"recognition\": {\"pages\": " + Integer(session.PagesRecognised()) +
         ", \"fromCache\": " + Integer(session.PagesFromCache()) + ", \"files\": [";
  for (std::size_t i = 0; i < session.RecognisedFiles().size(); ++i) {
    const RecognisedFile& entry = session.RecognisedFiles()[i];
    out += (i == 0 ? "" : ", ");
    out += "{\"file\": " + JsonString(Display(catalog.FilePath(entry.File))) +
           ", \"pages\": " + Integer(entry.Pages) +
           ", \"fromCache\": " + Integer(entry.PagesFromCache) +
           ", \"confidence\": " + Integer(entry.Confidence) + "}";
  }
  out += "]}";
  // Every error the run reported came in a "Fehler" box in the window.
  out += ",\n \"messages\": [";
  for (std::size_t i = 0; i < data.Errors.size(); ++i) {
    out += (i == 0 ? "" : ", ");
    out += "{\"title\": \"Fehler\", \"text\": " + JsonString(Display(data.Errors[i].Text)) +
           ", \"line\": " + Integer(data.Errors[i].Line) + "}";
  }
  out += "],\n \"coverage\": " + CoverageJson(session) + "}\n";
  return out;
}

std::string CsvReport(const ReportData& data) {
  const RunSession& session = *data.Session;
  std::string out = "person,file\r\n";
  for (std::size_t p = 0; p < session.Persons().Count(); ++p) {
    const PersonId person = IdOf<PersonId>(p);
    const std::string name = CsvField(Display(session.Persons()[person].Name));
    for (const FileId file : session.Hits().FilesOf(person)) {
      out += name + "," + CsvField(Display(session.Catalog().FilePath(file))) + "\r\n";
    }
  }
  return out;
}

}  // namespace

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const char character : utf8) {
    const auto byte = static_cast<unsigned char>(character);
    switch (character) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out += character;
        }
    }
  }
  return out + "\"";
}

std::string TextField(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  char escaped[16];
  for (std::size_t at = 0; at < utf8.size(); ++at) {
    const auto byte = static_cast<unsigned char>(utf8[at]);
    const auto next = at + 1 < utf8.size() ? static_cast<unsigned char>(utf8[at + 1]) : 0;
    const auto third = at + 2 < utf8.size() ? static_cast<unsigned char>(utf8[at + 2]) : 0;
    if (byte < 0x20 || byte == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      // U+0080 to U+009F, the C1 controls (NEL, CSI, ...), two bytes in UTF-8.
      std::snprintf(escaped, sizeof escaped, "\\u%04X", next);
      out += escaped;
      at += 1;
    } else if (byte == 0xE2 && next == 0x80 && (third == 0xA8 || third == 0xA9)) {
      // U+2028 and U+2029, the line and paragraph separators.
      std::snprintf(escaped, sizeof escaped, "\\u%04X", 0x2000 + (third - 0x80));
      out += escaped;
      at += 2;
    } else {
      out += utf8[at];
    }
  }
  return out;
}

std::string CsvField(const std::string& utf8) {
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string out = "\"";
  for (const char character : utf8) {
    if (character == '"') out += '"';
    out += character;
  }
  return out + "\"";
}

std::string FormatReport(const ReportData& data, ReportFormat format) {
  switch (format) {
    case ReportFormat::Json:
      return JsonReport(data);
    case ReportFormat::Csv:
      return CsvReport(data);
    case ReportFormat::Text:
      break;
  }
  return TextReport(data);
}
