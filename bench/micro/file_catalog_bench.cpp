#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <string>

#include "collect/file_catalog.h"

namespace {

/// Bytes the heap has handed out now, mapped blocks (large vectors) included.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// The catalog of a wide tree: 1,000 folders of 1,000 files each, names of 24 characters as a
// document archive has them. Reports the heap the catalog holds per file.
void BM_FileCatalogMillionFiles(benchmark::State& state) {
  const auto folders = static_cast<std::int32_t>(state.range(0));
  constexpr std::int32_t kFilesPerFolder = 1000;
  double bytesPerFile = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    FileCatalog catalog(u'/');
    const FolderId root = catalog.AddRoot(u"/srv/archiv/akten");
    for (std::int32_t folder = 0; folder < folders; ++folder) {
      const FolderId inside =
          catalog.AddFolder(root, u"Ordner " + std::u16string(6, u'0' + folder % 10));
      for (std::int32_t file = 0; file < kFilesPerFolder; ++file) {
        std::u16string name = u"Brief 2024-05-02 Nr ";
        name += static_cast<char16_t>(u'0' + file % 10);
        name += u".txt";
        catalog.AddFile(inside, name, 4096,
                        platform::FileIdentity{1, static_cast<std::uint64_t>(file)});
      }
    }
    bytesPerFile =
        static_cast<double>(HeapInUse() - before) / static_cast<double>(catalog.FileCount());
    benchmark::DoNotOptimize(catalog.FilePath(IdOf<FileId>(catalog.FileCount() - 1)));
  }
  state.counters["heap_bytes_per_file"] = bytesPerFile;
}
BENCHMARK(BM_FileCatalogMillionFiles)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
