#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// Turns a document's bytes into the texts to search. The one place that knows file formats.
namespace extract {

/// Random access to a file's bytes; the search gives one backed by the open file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// The number of bytes the source holds.
  virtual std::uint64_t Size() const = 0;
  /// Reads up to size bytes at offset into buffer; count is 0 at the end. False on a read failure.
  virtual bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& count) = 0;
};

/// A source over bytes held in memory; the bytes must outlive it.
class MemorySource final : public ByteSource {
 public:
  /// Serves the given bytes.
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  /// The length of the bytes.
  std::uint64_t Size() const override { return bytes_.size(); }
  /// Copies from the bytes; never fails.
  bool ReadAt(std::uint64_t offset, char* buffer, std::size_t size, std::size_t& count) override;

 private:
  std::string_view bytes_;
};

/// Receives what a document holds as a sequence of streams. A stream is either text (UTF-8, from
/// Text) or raw bytes (an archive member's or an attachment's decoded bytes, from Raw, to be
/// searched in every byte form like a file); Separate ends a stream, and a term never matches
/// across two streams. One stream never mixes Text and Raw pieces.
class TextSink {
 public:
  virtual ~TextSink() = default;
  /// Takes the next piece of a text stream; false stops the extraction (e.g. a stop request).
  virtual bool Text(std::string_view utf8) = 0;
  /// Takes the next piece of a raw stream; false stops the extraction.
  virtual bool Raw(std::string_view bytes) = 0;
  /// Ends the current stream.
  virtual void Separate() = 0;
  /// Asked now and then while input is read, also when it yields no text; false stops the
  /// extraction (e.g. a stop request).
  virtual bool KeepGoing() { return true; }
};

/// Bounds on the work done for one file.
struct Limits {
  std::uint64_t MaxText = std::uint64_t{256} << 20;  ///< text and raw bytes given to the sink
  double MaxRatio = 100;  ///< the same, at most this multiple of the file's size...
  std::uint64_t RatioFloor = std::uint64_t{1} << 20;  ///< ...but never less than this
  int MaxDepth = 3;  ///< the file itself is depth 1; a member of it depth 2
  std::uint64_t MaxWholeBytes = std::uint64_t{64} << 20;  ///< for formats read whole into memory
  double MaxSeconds = 60;                            ///< the time one file's extraction may take
  double MaxPageSeconds = 10;                        ///< the time one page of a PDF may take
  std::uint64_t MaxToken = std::uint64_t{16} << 20;  ///< one tag, comment or declaration of markup
  std::uint64_t MaxPixels = 100'000'000;  ///< of an image or page to recognise, checked first
  int MaxRecognisedPages = 2000;  ///< pages of a document whose scanned pages are recognised
};

class Recognizer;

/// How the text in images and in PDF pages without text (scans) is read.
struct Recognition {
  Recognizer* Engine = nullptr;  ///< none: such text is not read
  /// Without an engine: why, listed with the file ("Texterkennung aus", "Sprache fehlt").
  std::string OffReason = "Texterkennung aus";
};

/// What became of a file.
enum class Outcome {
  NotADocument,  ///< no format recognised; only its raw bytes are searched
  Extracted,     ///< everything it holds was given to the sink
  NotExtracted,  ///< recognised, but all or part could not be extracted (see the reason)
};

/// What a NotExtracted file left unsearched; the worse gap wins.
enum class Gap {
  None,     ///< nothing: the file was extracted whole
  Damaged,  ///< a damaged part; everything that could be read of it was searched
  Unread,   ///< content that was not read at all: encrypted, an unsupported method, a limit
};

/// The outcome with a short reason when NotExtracted ("encrypted", "damaged zip", "no content"
/// when a document holds no text at all, "beschädigt", ...).
struct Result {
  Outcome Kind = Outcome::NotADocument;
  std::string Reason;
  Gap Missing = Gap::None;  ///< Unread makes the search of the file incomplete
};

/// A reason as the user reads it, in German, naming the cause: "verschlüsselt", "beschädigt
/// (ZIP)", "nicht unterstützte Kompression", "kein Inhalt", ...; one it does not know stays as is.
std::string ReasonText(std::string_view reason);

/// True when a file whose first bytes (up to 4 KiB) are head may be a document; when false,
/// ExtractText answers NotADocument without reading further.
bool MayBeDocument(std::string_view head);
/// True when head alone tells the document kind (not only a start of zeros, as an ISO 9660 image
/// has, which its signature at 32 KiB must confirm).
bool KnownByHead(std::string_view head);

/// Recognises the document kind by content, never by name, and streams its texts to the sink.
/// Text already given stays given when the extraction stops at a limit or a damaged part.
/// Images and scanned pages are read as recognition says.
Result ExtractText(ByteSource& source, TextSink& sink, const Limits& limits = {},
                   const Recognition& recognition = {});

}  // namespace extract
