#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "extract/extract.h"
#include "extract/recognition.h"

namespace extract {

/// What a helper is told to do wrong, for the tests of its isolation only.
enum class HelperFault : std::uint32_t { None = 0, Crash = 1, Hang = 2, EatMemory = 3 };

/// Extracts documents in a helper process (`fundort-extract`), so that a crash, a hang or an
/// exhausted memory inside poppler, leptonica or tesseract ends only the helper: it is started
/// again for the next file, and the file is given a reason. One client per search worker; the
/// helper is started when first needed and ended with the client.
class ExtractHelper {
 public:
  /// How the helper is started and bounded.
  struct Setup {
    std::string Program;                 ///< the helper's path
    std::vector<std::string> Languages;  ///< recognition languages; none: recognition off
    std::string OffReason;               ///< why recognition is off, when it is
    std::string CacheFolder;             ///< the cache of recognised text; empty: none
    std::uint64_t MemoryLimit = std::uint64_t{768} << 20;  ///< address space of the helper
    int SecondsPerPage = 120;  ///< the longest wait for the next page or the end
  };
  /// Told before a page is recognised (from 1, of pages).
  using PageProgress = std::function<void(int page, int pages)>;

  explicit ExtractHelper(Setup setup);
  ~ExtractHelper();
  ExtractHelper(const ExtractHelper&) = delete;
  ExtractHelper& operator=(const ExtractHelper&) = delete;

  /// Asked about ten times a second while the helper works; false stops the extraction.
  using KeepGoing = std::function<bool()>;

  /// Extracts the document whose bytes are content into sink, as ExtractText does; progress is
  /// told each page recognised. A helper that fails gives NotExtracted, Unread and the reason; a
  /// stop ends the helper and gives "stopped".
  Result Extract(std::string_view content, TextSink& sink, RecognitionSummary& summary,
                 const PageProgress& progress, const KeepGoing& keepGoing = {},
                 HelperFault fault = HelperFault::None);
  /// How many times a helper was started (for tests).
  int Starts() const { return starts_; }

 private:
  bool Start();
  void Stop();
  Result Failed(const std::string& reason);
  /// What waiting for the helper's bytes came to.
  enum class ReadState { Done, Closed, Late, Stopped };
  /// Reads exactly size bytes from the helper, waiting until deadline and asking keepGoing
  /// while it waits.
  ReadState Receive(char* data, std::size_t size, std::chrono::steady_clock::time_point deadline,
                    const KeepGoing& keepGoing);

  /// Bytes taken from the helper with one call at most.
  static constexpr std::size_t kInboxBytes = std::size_t{64} << 10;

  Setup setup_;
  pid_t child_ = -1;
  int socket_ = -1;
  int starts_ = 0;
  std::unique_ptr<char[]> inbox_;  ///< what came from the helper and was not taken yet
  std::size_t inboxAt_ = 0;
  std::size_t inboxEnd_ = 0;
};

/// The helper program's main: serves requests on the socket until it is closed.
int ServeExtractions(int socket, int argc, char** argv);

/// True when a file starting with head is a kind extracted in a helper (PDF, images).
bool ExtractedInHelper(std::string_view head);

}  // namespace extract
