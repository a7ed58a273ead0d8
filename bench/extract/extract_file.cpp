// Extracts the texts of files and prints them, for looking at the output and measuring time and
// peak memory (/usr/bin/time -v). Usage: fundort_extract_file [--quiet] FILE...
// With --quiet and several files it prints the time per file name extension instead.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "extract/extract.h"

namespace {

class FileSource final : public extract::ByteSource {
 public:
  explicit FileSource(int descriptor) : descriptor_(descriptor) {
    size_ = static_cast<std::uint64_t>(lseek(descriptor, 0, SEEK_END));
  }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& count) override {
    const ssize_t done = pread(descriptor_, buffer, size, static_cast<off_t>(offset));
    count = done > 0 ? static_cast<std::size_t>(done) : 0;
    return done >= 0;
  }

 private:
  int descriptor_;
  std::uint64_t size_ = 0;
};

class PrintingSink final : public extract::TextSink {
 public:
  explicit PrintingSink(bool quiet) : quiet_(quiet) {}
  bool Text(std::string_view utf8) override {
    text_ += utf8.size();
    if (!quiet_) std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    return true;
  }
  bool Raw(std::string_view bytes) override {
    raw_ += bytes.size();
    member_ += bytes.size();
    return true;
  }
  void Separate() override {
    ++streams_;
    if (!quiet_) {
      if (member_ > 0) std::printf("[raw stream, %zu bytes]", member_);
      std::printf("\n----\n");
    }
    member_ = 0;
  }
  void Summary() const {
    std::fprintf(stderr, "streams %zu, text %zu bytes, raw %zu bytes\n", streams_, text_, raw_);
  }

 private:
  bool quiet_;
  std::size_t text_ = 0, raw_ = 0, member_ = 0, streams_ = 0;
};

struct Totals {
  int files = 0;
  std::uint64_t bytes = 0;
  double seconds = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const bool quiet = argc >= 2 && std::strcmp(argv[1], "--quiet") == 0;
  const int first = quiet ? 2 : 1;
  if (argc <= first) {
    std::fprintf(stderr, "usage: %s [--quiet] FILE...\n", argv[0]);
    return 2;
  }
  std::map<std::string, Totals> byType;
  for (int i = first; i < argc; ++i) {
    const int descriptor = open(argv[i], O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
      std::perror(argv[i]);
      return 1;
    }
    FileSource source(descriptor);
    PrintingSink sink(quiet);
    const auto start = std::chrono::steady_clock::now();
    const extract::Result result = extract::ExtractText(source, sink);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    close(descriptor);
    const char* dot = std::strrchr(argv[i], '.');
    Totals& totals = byType[dot == nullptr ? "" : dot];
    ++totals.files;
    totals.bytes += source.Size();
    totals.seconds += took.count();
    if (argc - first > 1 && quiet) continue;
    sink.Summary();
    const char* kinds[] = {"not a document", "extracted", "not extracted"};
    std::fprintf(stderr, "%s%s%s\n", kinds[static_cast<int>(result.Kind)],
                 result.Reason.empty() ? "" : ": ", result.Reason.c_str());
  }
  if (argc - first > 1 && quiet) {
    for (const auto& [type, totals] : byType) {
      std::printf("%-6s %5d files %8.1f MB %8.3f s  %6.2f ms/file %7.1f MB/s\n", type.c_str(),
                  totals.files, static_cast<double>(totals.bytes) / 1e6, totals.seconds,
                  1000 * totals.seconds / totals.files,
                  static_cast<double>(totals.bytes) / 1e6 / totals.seconds);
    }
  }
  return 0;
}
