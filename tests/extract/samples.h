#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "extract/extract.h"

namespace samples {

/// Keeps every stream the extraction gives, text or raw; asks to stop once stopAfter bytes came
/// or when asked whether to go on for the stopAtAsk-th time.
class CollectingSink final : public extract::TextSink {
 public:
  bool Text(std::string_view utf8) override { return Add(false, utf8); }
  bool Raw(std::string_view bytes) override { return Add(true, bytes); }
  void Separate() override { open_ = false; }
  bool KeepGoing() override { return ++asks < stopAtAsk; }
  std::uint64_t stopAtAsk = UINT64_MAX;
  std::uint64_t asks = 0;  ///< how often it was asked whether to go on

  /// All text streams, or all raw streams, each ended by a line break.
  std::string AllText() const { return All(false); }
  std::string AllRaw() const { return All(true); }
  std::uint64_t Total() const { return total_; }  ///< bytes received
  std::uint64_t stopAfter = UINT64_MAX;

 private:
  bool Add(bool raw, std::string_view piece);
  std::string All(bool raw) const;
  std::vector<std::pair<bool, std::string>> streams_;  ///< raw or not, and the bytes
  bool open_ = false;
  std::uint64_t total_ = 0;
};

/// Serves bytes in reads of at most readSize bytes, failing from the offset failFrom on.
class ChoppySource final : public extract::ByteSource {
 public:
  ChoppySource(std::string_view bytes, std::size_t readSize) : bytes_(bytes), readSize_(readSize) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& count) override;
  std::uint64_t failFrom = UINT64_MAX;

 private:
  std::string_view bytes_;
  std::size_t readSize_;
};

/// The result and the streams of extracting bytes held in memory.
struct Extraction {
  extract::Result result;
  CollectingSink sink;
};
inline Extraction Extract(std::string_view bytes, const extract::Limits& limits = {}) {
  Extraction extraction;
  extract::MemorySource source(bytes);
  extraction.result = extract::ExtractText(source, extraction.sink, limits);
  return extraction;
}

/// A zip archive made with libarchive; members deflated unless stored; optionally encrypted.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& members,
                const char* options = nullptr);
/// A Word document whose body holds the given paragraphs of runs (XML already escaped).
std::string Docx(const std::vector<std::vector<std::string>>& paragraphs);
/// A PDF whose pages each show one line of text in Windows-1252 through a deflated content stream;
/// with an encryption dictionary when one is given.
std::string Pdf(const std::vector<std::string>& pages, const std::string& encryption = {});
/// A PDF whose pages draw the given content streams with the font F1: Helvetica in
/// Windows-1252, the bytes 1 to 5 being the spacing accents caron, ogonek, dot, double acute, ring;
/// info holds the entries of its document information dictionary, if any.
std::string DrawnPdf(const std::vector<std::string>& streams, const std::string& encryption = {},
                     const std::string& info = {});
/// Latin-1/Windows-1252 bytes of UTF-8 text (for samples written in a code page).
std::string Cp1252(std::string_view utf8);

/// What the system's own packing tool makes of files: they are written to a fresh folder, where
/// command runs through the shell and writes the file "out". Empty when tool is not installed.
std::optional<std::string> Packed(const std::string& tool, const std::string& command,
                                  const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace samples
