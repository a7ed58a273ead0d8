#include "report_output.h"

#include <cstdio>

#include "platform/utf8.h"
#include "search/hit_list.h"
#include "support/text_code.h"

namespace {

std::string Display(std::u16string_view text) {
  return platform::ToDisplayUtf8(text);
}

/// A name or path on one line of the text report: a line break in it becomes "?", so a crafted
/// file name cannot add a line that looks like a hit.
std::string OneLine(std::u16string_view text) {
  std::string line = Display(text);
  for (char& character : line) {
    if (character == '\n' || character == '\r') character = '?';
  }
  return line;
}

std::vector<std::int32_t> HitFiles(const PersonEntry& person) {
  return ::HitFiles(person.Hits);
}

std::vector<std::u16string> Terms(const PersonEntry& person) {
  std::vector<std::u16string> terms;
  const std::int32_t count = FieldCount(person.Terms, u"|");
  for (std::int32_t t = 1; t <= count; ++t)
    terms.push_back(GetField(person.Terms, t, u"|"));
  return terms;
}

std::string Integer(long long value) {
  return std::to_string(value);
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
  return out;
}

std::string JsonReport(const ReportData& data) {
  const MainForm& form = *data.Form;
  std::string out = "{\"config\": " + JsonString(Display(platform::FromUtf8(data.Config)));
  out += ", \"searchMode\": ";
  out += form.SearchMode == 2 ? "\"TEXT\"" : "\"BINARY\"";
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
  out += "],\n \"messages\": [";
  for (std::size_t i = 0; i < data.Messages.size(); ++i) {
    out += (i == 0 ? "" : ", ");
    out += "{\"title\": " + JsonString(Display(data.Messages[i].Title)) +
           ", \"text\": " + JsonString(Display(data.Messages[i].Text)) + "}";
  }
  out += "]}\n";
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
