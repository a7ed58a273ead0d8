#include "coverage_output.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "extract/reasons.h"
#include "platform/utf8.h"
#include "report_output.h"

namespace {

std::string Json(std::u16string_view text) {
  return JsonString(platform::ToDisplayUtf8(text));
}

/// A name or path on one line of text: escaped so that it cannot break or forge a line.
std::string Line(std::u16string_view text) {
  return TextField(text);
}

std::string Number(long long value) {
  return std::to_string(value);
}

std::string FilePath(const RunSession& session, const MissedFile& file) {
  return Line(session.Catalog().FilePath(file.File));
}

/// {"count": n, "truncated": b, "items": [...]} with each entry written by item.
template <typename Entry, typename Item>
std::string JsonList(const CappedList<Entry>& list, Item&& item) {
  std::string out = "{\"count\": " + Number(list.Count) +
                    ", \"truncated\": " + (list.Truncated() ? "true" : "false") + ", \"items\": [";
  for (std::size_t i = 0; i < list.Entries.size(); ++i) {
    out += (i == 0 ? "{" : ", {") + item(list.Entries[i]) + "}";
  }
  return out + "]}";
}

std::string FolderItem(const MissedFolder& folder) {
  return JsonPath("path", folder.Path) + ", \"line\": " + Number(folder.Line) +
         ", \"reason\": " + Json(folder.Reason);
}

/// The lines of a list in the text block, and a count of those the limit left out.
template <typename Entry, typename Show>
void TextList(std::string& out, const std::string& label, const CappedList<Entry>& list,
              Show&& show) {
  for (const Entry& entry : list.Entries)
    out += "  " + label + ": " + show(entry) + "\n";
  if (list.Truncated()) {
    out += "  " + label + ": ... und " +
           Number(list.Count - static_cast<long long>(list.Entries.size())) + " weitere\n";
  }
}

std::string FolderText(const MissedFolder& folder) {
  return Line(folder.Path) + ": " + Line(folder.Reason);
}

}  // namespace

std::string CoverageJson(const RunSession& session) {
  const RunCoverage& coverage = session.Coverage();
  std::string out = "{\"stopped\": ";
  out += session.Outcome().Stopped ? "true" : "false";
  out += ",\n  \"foldersMissing\": " + JsonList(coverage.FoldersMissing, FolderItem);
  out += ",\n  \"foldersUnreadable\": " + JsonList(coverage.FoldersUnreadable, FolderItem);
  out += ",\n  \"filesUnreadable\": " +
         JsonList(coverage.FilesUnreadable, [&session](const MissedFile& file) {
           return JsonPath("path", session.Catalog().FilePath(file.File)) +
                  ", \"reason\": " + Json(file.Reason);
         });
  // The documents themselves stand with their reasons in the report's "notExtracted" list.
  out += ",\n  \"documentsUnread\": " + Number(coverage.DocumentsUnread);
  out += ", \"archivesNotBuiltIn\": " + Number(coverage.ArchivesNotBuiltIn);
  out += ",\n  \"skipped\": {\"hidden\": " + Number(coverage.HiddenEntries) +
         ", \"folderLinks\": " + Number(coverage.FolderLinks) +
         ", \"specialFiles\": " + Number(coverage.SpecialFiles) +
         ", \"notAccepted\": " + Number(coverage.FilesNotAccepted) +
         ", \"tooLarge\": " + Number(coverage.FilesTooLarge) +
         ", \"pseudoFileSystems\": " + Number(coverage.PseudoFileSystems) + "}";
  out += ",\n  \"personsWithoutTerms\": " +
         JsonList(coverage.PersonsWithoutTerms, [](const TermlessPerson& person) {
           return "\"name\": " + Json(person.Name) + ", \"line\": " + Number(person.Line) +
                  ", \"emptyTerm\": " + (person.EmptyTerm ? "true" : "false");
         });
  out += ",\n  \"poorlyLegible\": " +
         JsonList(coverage.PoorlyLegible, [&session](const RecognisedFile& file) {
           return "\"path\": " + Json(session.Catalog().FilePath(file.File)) +
                  ", \"confidence\": " + Number(file.Confidence);
         });
  out += ",\n  \"overlappingFolders\": " +
         JsonList(coverage.OverlappingFolders, [](const OverlappingFolder& folder) {
           return JsonPath("path", folder.Path) + ", \"line\": " + Number(folder.Line) +
                  ", \"earlierLine\": " + Number(folder.EarlierLine);
         });
  return out + "}";
}

std::string CoverageText(const RunSession& session) {
  const RunCoverage& coverage = session.Coverage();
  std::string out = "Abdeckung: ";
  out += session.Outcome().Stopped ? "abgebrochen\n"
         : coverage.Incomplete()   ? "unvollständig\n"
                                   : "vollständig\n";
  TextList(out, "fehlendes Verzeichnis", coverage.FoldersMissing, FolderText);
  TextList(out, "nicht lesbares Verzeichnis", coverage.FoldersUnreadable, FolderText);
  TextList(out, "nicht lesbare Datei", coverage.FilesUnreadable,
           [&session](const MissedFile& file) {
             return FilePath(session, file) + ": " + Line(file.Reason);
           });
  if (coverage.DocumentsUnread > 0) {
    out += "  Inhalt nicht gelesen: " + Number(coverage.DocumentsUnread) +
           " Dokumente oder Archive (oben mit Grund)\n";
  }
  if (coverage.ArchivesNotBuiltIn > 0) {
    out += "  " + std::string(extract::reason::kArchivesUnreadable) + " (" +
           Number(coverage.ArchivesNotBuiltIn) + " Archive nur als Bytes durchsucht)\n";
  }
  TextList(out, "ohne Suchbegriffe", coverage.PersonsWithoutTerms,
           [](const TermlessPerson& person) {
             return Line(person.Name) + " (Zeile " + Number(person.Line) +
                    (person.EmptyTerm ? ", leerer Suchbegriff)" : ")");
           });
  for (const NotExtractedFile& file : session.NotExtractedFiles()) {
    if (file.Gap == ContentGap::Unread) {
      out += "  nicht gelesener Text: " + Line(session.Catalog().FilePath(file.File)) + ": " +
             TextField(file.Reason) + "\n";
    }
  }
  TextList(out, "schlecht lesbar", coverage.PoorlyLegible, [&session](const RecognisedFile& file) {
    return Line(session.Catalog().FilePath(file.File)) + " (Erkennung " + Number(file.Confidence) +
           " %, ein Name kann fehlen)";
  });
  TextList(out, "doppelt durchsucht", coverage.OverlappingFolders,
           [](const OverlappingFolder& folder) {
             return Line(folder.Path) + " (Zeile " + Number(folder.Line) +
                    ", überschneidet Zeile " + Number(folder.EarlierLine) + ")";
           });
  out += "Ausgelassen: " + Number(coverage.HiddenEntries) + " versteckt, " +
         Number(coverage.FolderLinks) + " Verknüpfungen auf Verzeichnisse, " +
         Number(coverage.SpecialFiles) + " besondere Dateien, " +
         Number(coverage.FilesNotAccepted) + " ohne Dateityp, " + Number(coverage.FilesTooLarge) +
         " zu groß, " + Number(coverage.PseudoFileSystems) + " Pseudo-Dateisysteme\n";
  return out;
}

std::string CoverageWarnings(const std::string& config, const RunSession& session) {
  const RunCoverage& coverage = session.Coverage();
  const std::string source = TextField(config);
  // Warnings about configuration lines come in line order, as a compiler gives them.
  std::vector<std::pair<std::int32_t, std::string>> byLine;
  for (const TermlessPerson& person : coverage.PersonsWithoutTerms.Entries) {
    byLine.emplace_back(
        person.Line,
        "Warnung: \"" + Line(person.Name) +
            (person.EmptyTerm ? "\" hat einen leeren Suchbegriff und gilt in jeder nicht "
                                "leeren Datei als gefunden"
                              : "\" hat keine Suchbegriffe und gilt in jeder Datei als "
                                "gefunden"));
  }
  for (const OverlappingFolder& folder : coverage.OverlappingFolders.Entries) {
    byLine.emplace_back(folder.Line, "Warnung: der Baum von \"" + Line(folder.Path) +
                                         "\" überschneidet sich mit dem von Zeile " +
                                         Number(folder.EarlierLine) +
                                         "; Dateien darin zählen doppelt");
  }
  std::stable_sort(byLine.begin(), byLine.end(),
                   [](const auto& left, const auto& right) { return left.first < right.first; });
  std::string out;
  for (const auto& [line, text] : byLine)
    out += source + ":" + Number(line) + ": " + text + "\n";

  for (const auto* list : {&coverage.FoldersMissing, &coverage.FoldersUnreadable}) {
    for (const MissedFolder& folder : list->Entries)
      out += FolderText(folder) + "\n";
  }
  for (const MissedFile& file : coverage.FilesUnreadable.Entries)
    out += FilePath(session, file) + ": " + Line(file.Reason) + "\n";
  for (const NotExtractedFile& file : session.NotExtractedFiles()) {
    if (file.Gap == ContentGap::Unread) {
      out += Line(session.Catalog().FilePath(file.File)) +
             ": Text nicht gelesen: " + TextField(file.Reason) + "\n";
    }
  }
  if (!session.RecognitionCacheProblem().empty()) {
    out += "fundort-report: Zwischenspeicher der Texterkennung nicht benutzbar: " +
           TextField(session.RecognitionCacheProblem()) + "\n";
  }

  const auto unnamed = [&out](const auto& list, const char* what) {
    if (!list.Truncated()) return;
    out += "fundort-report: " + Number(list.Count - static_cast<long long>(list.Entries.size())) +
           " more " + what + " not listed\n";
  };
  unnamed(coverage.PersonsWithoutTerms, "persons without terms");
  unnamed(coverage.OverlappingFolders, "overlapping folders");
  unnamed(coverage.FoldersMissing, "missing folders");
  unnamed(coverage.FoldersUnreadable, "unreadable folders");
  unnamed(coverage.FilesUnreadable, "unreadable files");
  return out;
}
