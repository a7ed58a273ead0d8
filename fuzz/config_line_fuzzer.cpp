// Configuration lines: the case and the blanks around a command change nothing, a faulty line asks
// for nothing, and a run of the lines on an in-memory tree keeps only files that are there.
#include <cstdlib>

#include "fuzz_input.h"
#include "run/run_session.h"
#include "testing/fake_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  // Names that patterns like to trip over, built anew: the fake keeps a record of the walk.
  FakeSystem system;
  for (const std::u16string file : {u"/d/a.txt", u"/d/A.TXT.TXT", u"/d/Brief 2024.doc",
                                    u"/d/.versteckt/b.txt", u"/d/x*?.log", u"/d/s/t/d|e.txt"})
    system.AddSizedFile(file, 2'147'483'648);
  RunObserver observer;
  RunSession session(RunOptions{.System = system, .Log = LogDestination::None}, observer);
  session.Load();
  const std::u16string text = TextFromBytes(BytesOf(data, size));
  bool sound = true;
  for (std::size_t start = 0, end = 0; start <= text.size(); start = end + 1) {
    end = std::min(text.find(u'\n', start), text.size());
    const std::u16string line = text.substr(start, end - start);
    std::u16string other = u" " + line;  // the command lower-cased, a blank in front
    for (std::size_t at = 1; at < other.size() && other[at] != u'|'; ++at)
      other[at] = other[at] >= u'A' && other[at] <= u'Z' ? other[at] + 32 : other[at];
    const ConfigLine parsed = ParseConfigLine(line, system.CodePage());
    const ConfigLine same = ParseConfigLine(other, system.CodePage());
    sound &= same.Action.index() == parsed.Action.index() && same.Logged == parsed.Logged &&
             same.Error == parsed.Error && (!parsed.Error || parsed.Action.index() == 0);
    session.ExecuteLine(line);
  }
  // Every file kept is one the tree holds.
  const FileCatalog& catalog = session.Catalog();
  for (std::size_t file = 0; file < catalog.FileCount(); ++file)
    sound &= system.Exists(catalog.FilePath(IdOf<FileId>(file)));
  if (!sound) std::abort();
  return 0;
}
