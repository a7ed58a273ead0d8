// The engine on one page: a search for one person without window, log or configuration file.
//
//   engine FOLDER PERSON [TERM...]
//
// Finds every file below FOLDER that mentions PERSON (by the terms given, else by the name
// itself), letters compared without regard to case, and prints the person's hit count and the
// paths of the files, one a line.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/utf8.h"
#include "run/run_observer.h"
#include "run/run_session.h"

namespace {

/// Shows what goes wrong on standard error and ignores everything else the run tells: counts,
/// status and hits are read from the session once it is done.
class ErrorPrinter : public RunObserver {
 public:
  void ErrorReported(std::u16string_view text, std::int32_t /*configurationLine*/) override {
    std::fprintf(stderr, "engine: %s\n", platform::ToDisplayUtf8(text).c_str());
  }
};

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareStandardOutput();
  // UTF-8 arguments on every system (argv on Windows would be the ANSI code page).
  const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
  if (arguments.size() < 2) {
    std::fputs("usage: engine FOLDER PERSON [TERM...]\n", stderr);
    return 2;
  }
  // The session takes the lines of a configuration file; "|" closes every field of them, so it
  // cannot stand inside a folder, name or term.
  for (const std::string& argument : arguments) {
    if (argument.find('|') != std::string::npos) {
      std::fprintf(stderr, "engine: an argument cannot hold \"|\": %s\n", argument.c_str());
      return 2;
    }
  }
  const std::u16string folder = platform::FromUtf8(arguments[0]);
  const std::u16string person = platform::FromUtf8(arguments[1]);
  std::u16string terms = u"|";
  for (std::size_t term = 2; term < arguments.size(); ++term) {
    terms += platform::FromUtf8(arguments[term]) + u"|";
  }
  if (arguments.size() == 2) terms += person + u"|";

  ErrorPrinter observer;
  RunSession session(RunOptions{.Log = LogDestination::None}, observer);
  session.Load();
  // The lines a configuration file would hold: every file, in every folder below FOLDER.
  session.ExecuteLine(u"SEARCHMODE|BINARY|");
  session.ExecuteLine(u"FILETYPE|*|");
  session.ExecuteLine(u"FOLDER|" + folder + u"|");
  session.ExecuteLine(u"NAME|" + person + terms);
  session.Search();

  const FileCatalog& catalog = session.Catalog();
  for (std::size_t index = 0; index < session.Persons().Count(); ++index) {
    const PersonId id = IdOf<PersonId>(index);
    const std::vector<FileId>& files = session.Hits().FilesOf(id);
    std::printf("%s: %s files\n", platform::ToUtf8(session.Persons()[id].Name).c_str(),
                std::to_string(files.size()).c_str());
    // ToUtf8 gives a name back its very bytes, so a printed path can be handed on as it is.
    for (const FileId file : files) {
      std::printf("  %s\n", platform::ToUtf8(catalog.FilePath(file)).c_str());
    }
  }

  // A folder that could not be listed or a file that could not be read leaves the answer short.
  const RunCoverage& coverage = session.Coverage();
  if (coverage.Incomplete()) {
    const std::int64_t folders = coverage.FoldersMissing.Count + coverage.FoldersUnreadable.Count;
    std::fprintf(stderr, "engine: not searched: %s folders, %s files\n",
                 std::to_string(folders).c_str(),
                 std::to_string(coverage.FilesUnreadable.Count).c_str());
    return 1;
  }
  return 0;
}
