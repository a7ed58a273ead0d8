#include "report_output.h"

#include <cstdio>
#include <utility>

#include "coverage_output.h"
#include "platform/utf8.h"
#include "search/hit_list.h"
#include "support/text_code.h"

namespace {

std::string Display(std::u16string_view text) {
  return platform::ToDisplayUtf8(text);
}

/// A name or path on one line of the text report.
std::string OneLine(std::u16string_view text) {
  return TextField(Display(text));
}

std::vector<std::int32_t> HitFiles(const PersonEntry& person) {
  return ::HitFiles(person.Hits);
}

std::vector<std::u16string> Terms(const PersonEntry& person) {
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

std::string TextReport(const ReportData& data) {
  const MainForm& form = *data.Form;
  std::string out = "Anzahl Verzeichnisse: " + Display(form.anzFolders.Caption) +
                    "  Anzahl Dateien: " + Display(form.anzFiles.Caption) +
                    "  Gesamtgröße: " + Display(form.allSize.Caption) + "\n";
  for (std::size_t p = 1; p < form.Persons.size(); ++p) {
    const PersonEntry& person = form.Persons[p];
    const std::vector<std::int32_t> files = HitFiles(person);
    out += OneLine(person.Name) + " (" + Integer(static_cast<long long>(files.size())) + ")\n";
    for (const std::int32_t file : files)
      out += "  " + OneLine(form.GetFilePath(file)) + "\n";
  }
  // Documents whose text could not be read were searched by their raw bytes only.
  if (!form.NotExtractedFiles.empty()) out += "Dokumente, nur als Bytes durchsucht:\n";
  for (const NotExtractedFile& entry : form.NotExtractedFiles)
    out += "  " + OneLine(form.GetFilePath(entry.File)) + " (" + TextField(entry.Reason) + ")\n";
  return out + CoverageText(form);
}

std::string JsonReport(const ReportData& data) {
  const MainForm& form = *data.Form;
  std::string out = "{\"config\": " + JsonString(Display(platform::FromUtf8(data.Config)));
  out += ", \"searchMode\": ";
  out += form.SearchMode == 2 ? "\"TEXT\"" : "\"BINARY\"";
  out += ", \"encodings\": [" + EncodingNames(form.Encodings) + "]";
  out += ", \"folderCount\": " + Integer(static_cast<long long>(form.Folders.size()) - 1);
  out += ", \"fileCount\": " + Integer(static_cast<long long>(form.Files.size()) - 1);
  char size[64];
  std::snprintf(size, sizeof size, "%.0f", form.TotalSize);
  out += ", \"totalSize\": " + std::string(size);
  out += ", \"allSize\": " + JsonString(Display(form.allSize.Caption));
  out += ", \"status\": " + JsonString(Display(form.Status.Caption));
  out += ",\n \"persons\": [";
  for (std::size_t p = 1; p < form.Persons.size(); ++p) {
    const PersonEntry& person = form.Persons[p];
    const std::vector<std::int32_t> files = HitFiles(person);
    out += p == 1 ? "\n  " : ",\n  ";
    out += "{\"number\": " + Integer(static_cast<long long>(p));
    out += ", \"name\": " + JsonString(Display(person.Name));
    out += ", \"terms\": [";
    const std::vector<std::u16string> terms = Terms(person);
    for (std::size_t t = 0; t < terms.size(); ++t) {
      out += (t == 0 ? "" : ", ") + JsonString(Display(terms[t]));
    }
    out += "], \"hits\": " + Integer(static_cast<long long>(files.size()));
    out += ", \"files\": [";
    for (std::size_t f = 0; f < files.size(); ++f) {
      out += (f == 0 ? "" : ", ") + JsonString(Display(form.GetFilePath(files[f])));
    }
    out += "]}";
  }
  out += "],\n \"sortedNames\": [";
  for (std::size_t i = 0; i < data.SortedNames.size(); ++i) {
    out += (i == 0 ? "" : ", ") + JsonString(Display(data.SortedNames[i]));
  }
  out += "],\n \"unreadable\": [";
  for (std::size_t i = 0; i < form.UnreadableFiles.size(); ++i) {
    out += (i == 0 ? "" : ", ") + JsonString(Display(form.GetFilePath(form.UnreadableFiles[i])));
  }
  out += "],\n \"notExtracted\": [";
  for (std::size_t i = 0; i < form.NotExtractedFiles.size(); ++i) {
    const NotExtractedFile& entry = form.NotExtractedFiles[i];
    out += (i == 0 ? "" : ", ");
    out += "{\"file\": " + JsonString(Display(form.GetFilePath(entry.File))) +
           ", \"reason\": " + JsonString(entry.Reason) + "}";
  }
  out += "],\n \"messages\": [";
  for (std::size_t i = 0; i < data.Messages.size(); ++i) {
    out += (i == 0 ? "" : ", ");
    out += "{\"title\": " + JsonString(Display(data.Messages[i].Title)) +
           ", \"text\": " + JsonString(Display(data.Messages[i].Text)) +
           ", \"line\": " + Integer(data.Messages[i].ConfigurationLine) + "}";
  }
  out += "],\n \"coverage\": " + CoverageJson(form) + "}\n";
  return out;
}

std::string CsvReport(const ReportData& data) {
  const MainForm& form = *data.Form;
  std::string out = "person,file\r\n";
  for (std::size_t p = 1; p < form.Persons.size(); ++p) {
    const PersonEntry& person = form.Persons[p];
    const std::string name = CsvField(Display(person.Name));
    for (const std::int32_t file : HitFiles(person)) {
      out += name + "," + CsvField(Display(form.GetFilePath(file))) + "\r\n";
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
