#include "report_output.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
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
  return TextField(text);
}

/// A JSON list of paths, and beside it "<key>Bytes", the exact bytes of each path (null for
/// those in UTF-8), when any of them holds a byte that is not UTF-8.
template <typename Path>
std::string JsonPaths(const std::string& key, std::size_t count, Path&& path) {
  std::string paths, bytes;
  bool anyBytes = false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::u16string text = path(i);
    const std::string exact = PathBytes(text);
    anyBytes = anyBytes || !exact.empty();
    paths += (i == 0 ? "" : ", ") + JsonString(Display(text));
    bytes += (i == 0 ? "" : ", ") + (exact.empty() ? std::string("null") : "\"" + exact + "\"");
  }
  std::string out = "\"" + key + "\": [" + paths + "]";
  if (anyBytes) out += ", \"" + key + "Bytes\": [" + bytes + "]";
  return out;
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
  std::string out = "{" + JsonPath("config", platform::FromUtf8(data.Config));
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
    out += "], \"hits\": " + Integer(static_cast<long long>(files.size())) + ", ";
    out +=
        JsonPaths("files", files.size(), [&](std::size_t f) { return catalog.FilePath(files[f]); });
    out += "}";
  }
  // The order "Liste sortieren" gives at the end of the run.
  out += "],\n \"sortedNames\": [";
  const std::vector<PersonId> sorted = PersonsByHits(session.Persons(), session.Hits());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    out += (i == 0 ? "" : ", ") + JsonString(Display(session.Persons()[sorted[i]].Name));
  }
  out += "],\n ";
  out += JsonPaths("unreadable", session.UnreadableFiles().size(),
                   [&](std::size_t i) { return catalog.FilePath(session.UnreadableFiles()[i]); });
  out += ",\n \"notExtracted\": [";
  for (std::size_t i = 0; i < session.NotExtractedFiles().size(); ++i) {
    const NotExtractedFile& entry = session.NotExtractedFiles()[i];
    out += (i == 0 ? "" : ", ");
    out += "{" + JsonPath("file", catalog.FilePath(entry.File)) +
           ", \"reason\": " + JsonString(entry.Reason) +
           ", \"unread\": " + (entry.Gap != ContentGap::DamagedPart ? "true" : "false") + "}";
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

/// One row per hit. Where a path of a hit holds a byte that is not UTF-8, every row gets a third
/// field, "fileBytes": the exact bytes of its path in base64 (empty for a path in UTF-8), so a
/// tree of UTF-8 names keeps the two columns it always had.
std::string CsvReport(const ReportData& data) {
  const RunSession& session = *data.Session;
  const FileCatalog& catalog = session.Catalog();
  bool anyBytes = false;
  for (std::size_t p = 0; p < session.Persons().Count() && !anyBytes; ++p) {
    for (const FileId file : session.Hits().FilesOf(IdOf<PersonId>(p)))
      anyBytes = anyBytes || !PathBytes(catalog.FilePath(file)).empty();
  }
  std::string out = anyBytes ? "person,file,fileBytes\r\n" : "person,file\r\n";
  for (std::size_t p = 0; p < session.Persons().Count(); ++p) {
    const PersonId person = IdOf<PersonId>(p);
    const std::string name = CsvField(Display(session.Persons()[person].Name));
    for (const FileId file : session.Hits().FilesOf(person)) {
      const std::u16string path = catalog.FilePath(file);
      out += name + "," + CsvField(Display(path));
      if (anyBytes) out += "," + PathBytes(path);
      out += "\r\n";
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

namespace {

constexpr char16_t kRawByteFirst = 0xDC80, kRawByteLast = 0xDCFF;

/// Characters that change the direction of what follows or show as nothing at all: printed
/// raw, "bidi<U+202E>txt.exe" would look like "bidiexe.txt".
bool Disguises(char32_t code) {
  return code == 0x061C || (code >= 0x200B && code <= 0x200F) ||
         (code >= 0x202A && code <= 0x202E) || code == 0x2060 ||
         (code >= 0x2066 && code <= 0x2069) || code == 0xFEFF;
}

std::string Escaped(const char* format, unsigned value) {
  char escaped[16];
  std::snprintf(escaped, sizeof escaped, format, value);
  return escaped;
}

/// The code point at text[at], a surrogate pair as one; at moves past it.
char32_t NextCode(std::u16string_view text, std::size_t& at) {
  const char32_t unit = text[at++];
  if (unit >= 0xD800 && unit <= 0xDBFF && at < text.size() && text[at] >= 0xDC00 &&
      text[at] <= 0xDFFF) {
    return 0x10000 + ((unit - 0xD800) << 10) + (text[at++] - 0xDC00);
  }
  return unit;
}

/// How one code point of a name appears on a line of the text report.
std::string Shown(char32_t code) {
  if (code < 0x20 || code == 0x7F) return Escaped("\\x%02X", static_cast<unsigned>(code));
  if (code >= kRawByteFirst && code <= kRawByteLast) {
    return Escaped("\\x%02X", static_cast<unsigned>(code - kRawByteFirst + 0x80));
  }
  if ((code >= 0x80 && code <= 0x9F) || code == 0x2028 || code == 0x2029 || Disguises(code) ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return Escaped("\\u%04X", static_cast<unsigned>(code));
  }
  std::string plain;
  platform::AppendUtf8(plain, code);
  return plain;
}

/// Whether text, following a backslash, would make it read as the start of an escape: "x" and two
/// hexadecimal digits, or "u" and four.
bool ReadsAsEscape(std::string_view text) {
  const auto digits = [&text](std::size_t count) {
    if (text.size() < 1 + count) return false;
    return std::all_of(text.begin() + 1, text.begin() + 1 + static_cast<std::ptrdiff_t>(count),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
  };
  return (text.starts_with('x') && digits(2)) || (text.starts_with('u') && digits(4));
}

bool HoldsRawByte(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    // A raw byte is a low surrogate on its own, never the second half of a pair.
    const bool paired = i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    if (unit >= kRawByteFirst && unit <= kRawByteLast && !paired) return true;
  }
  return false;
}

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < 3; ++i) {
      group = (group << 8) | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0U);
    }
    for (std::size_t i = 0; i < 4; ++i) {
      out += i <= count ? kDigits[(group >> (18 - 6 * i)) & 0x3F] : '=';
    }
  }
  return out;
}

}  // namespace

std::string TextField(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const char32_t code = NextCode(text, at);
    if (code != u'\\') {
      out += Shown(code);
      continue;
    }
    std::size_t run = 1;
    for (; at < text.size() && text[at] == u'\\'; ++at)
      ++run;
    std::string after;
    for (std::size_t next = at; next < text.size() && after.size() < 5;)
      after += Shown(NextCode(text, next));
    // A run of the name's backslashes right before an escape, or before what reads as one, is
    // doubled: an odd run then ends in an escape, an even one is the name's own. Every other
    // backslash, such as those of a Windows or network path, stays as it is.
    const bool doubled = after.starts_with('\\') || ReadsAsEscape(after);
    out.append(run * (doubled ? 2 : 1), '\\');
  }
  return out;
}

std::string TextField(const std::string& bytes) {
  return TextField(platform::FromUtf8(bytes));
}

std::string PathBytes(std::u16string_view path) {
  return HoldsRawByte(path) ? Base64(platform::ToUtf8(path)) : std::string();
}

std::string JsonPath(const std::string& key, std::u16string_view path) {
  std::string out = "\"" + key + "\": " + JsonString(platform::ToDisplayUtf8(path));
  if (const std::string bytes = PathBytes(path); !bytes.empty())
    out += ", \"" + key + "Bytes\": \"" + bytes + "\"";
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
