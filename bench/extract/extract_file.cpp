// Extracts the texts of one file and prints them, for looking at the output and measuring time
// and peak memory (/usr/bin/time -v). Usage: fundort_extract_file [--quiet] FILE
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
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

}  // namespace

int main(int argc, char** argv) {
  const bool quiet = argc == 3 && std::strcmp(argv[1], "--quiet") == 0;
  if (argc != 2 && !quiet) {
    std::fprintf(stderr, "usage: %s [--quiet] FILE\n", argv[0]);
    return 2;
  }
  const int descriptor = open(argv[argc - 1], O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    std::perror(argv[argc - 1]);
    return 1;
  }
  FileSource source(descriptor);
  PrintingSink sink(quiet);
  const extract::Result result = extract::ExtractText(source, sink);
  close(descriptor);
  sink.Summary();
  const char* kinds[] = {"not a document", "extracted", "not extracted"};
  std::fprintf(stderr, "%s%s%s\n", kinds[static_cast<int>(result.Kind)],
               result.Reason.empty() ? "" : ": ", result.Reason.c_str());
  return 0;
}
