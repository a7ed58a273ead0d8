#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "extract/extract.h"
#include "support/compose_text.h"

namespace extract::detail {

/// The document kinds told apart by their first bytes.
enum class Kind { None, Zip, Pdf, Rtf, Html, Xml, Mail, Mbox, Compound, Archive, Image };

/// How many leading bytes Recognise looks at.
inline constexpr std::size_t kHeadBytes = 4096;

/// The kind of document that starts with head (the first kHeadBytes or the whole, if shorter).
Kind Recognise(std::string_view head);

/// Input read between two checks of the stop request and the time limit.
inline constexpr std::uint64_t kCheckBytes = std::uint64_t{64} << 10;

/// The reasons for the limits on the work for one file, with the bound that was passed.
std::string TimeLimitReason(double seconds);
std::string TokenLimitReason(std::uint64_t bytes);
std::string InflateLimitReason(std::uint64_t bytes);
/// Where an ISO 9660 image has its first volume descriptor's "CD001", past the head.
inline constexpr std::uint64_t kIsoMagicOffset = 32769;
/// True when a file with this head may be an ISO 9660 image: its first 32 KiB are unused by the
/// format and almost always zero, so a head of zeros is worth a look at kIsoMagicOffset.
bool MayBeIsoImage(std::string_view head);

/// One file's extraction: hands pieces to the sink within the limits, keeps the nesting depth and
/// the first reason why something could not be extracted.
class Context {
 public:
  /// Starts an extraction of a file of fileSize bytes.
  Context(TextSink& sink, const Limits& limits, std::uint64_t fileSize);

  /// Passes a piece of text on, its letters composed with their marks; false once the
  /// extraction must stop.
  bool Text(std::string_view utf8) { return Emit(utf8, Stream::Text); }
  /// Passes a piece of raw bytes on; false once the extraction must stop.
  bool Raw(std::string_view bytes) { return Emit(bytes, Stream::Raw); }
  /// Ends the current stream, if one is open.
  void Separate();
  /// True once a limit was reached or the sink asked to stop.
  bool Stopped() const { return stopped_; }

  /// Counts input read for the file: bytes fed to a parser or unpacked. At least every
  /// kCheckBytes of it asks the sink whether to go on and checks the time limit, so a document
  /// that yields no text is stopped as soon as one that does. False once the extraction must stop.
  bool Consumed(std::uint64_t bytes);
  /// Counts bytes inflated from an archive (as Consumed); false (and stopped) once they pass four
  /// times what may be given to the sink, so a bomb of markup without text cannot run long.
  bool Inflated(std::uint64_t bytes);
  /// Asks the sink whether to go on and checks the time limit now; false once stopped.
  bool Check();
  /// Processor seconds the extraction of the file has taken so far (of the thread running it, so
  /// a busy machine does not make a document pass its limit that would not on an idle one).
  double Elapsed() const;
  /// Leaves seconds spent out of Elapsed: work that has limits of its own (recognising a scan).
  void Discount(double seconds) { started_ += seconds; }
  /// Ends the extraction at a limit; the reason outweighs any earlier one.
  void Exceed(std::string reason);
  /// Records that the document being read (the file or a nested one) is damaged; what could be
  /// read of it was given on.
  void Fail(std::string_view reason) { Fail(reason, Gap::Damaged); }
  /// Records that content of the document being read was not read at all (encrypted, an
  /// unsupported method, a limit).
  void Unread(std::string_view reason) { Fail(reason, Gap::Unread); }
  /// Records that a document embedded in the one being read could not be read whole.
  void FailEmbedded(std::string_view reason, Gap gap = Gap::Unread) {
    Record("embedded document: " + std::string(reason), gap);
  }
  /// Records that the file, though it looked like one, holds no document after all.
  void Disown() { disowned_ = disowned_ || depth_ == 1; }
  /// The limits in force.
  const Limits& limits() const { return limits_; }
  /// How images and scanned pages are read.
  const Recognition& recognition() const { return recognition_; }
  /// Sets how images and scanned pages are read; its engine must outlive the context.
  void Recognise(const Recognition& recognition) { recognition_ = recognition; }
  /// 1 for the file itself, one more per level of nesting.
  int Depth() const { return depth_; }
  /// Reserves room to hold bytes in memory; false when all held would pass the whole-bytes limit.
  bool Hold(std::uint64_t bytes);
  /// Gives back room reserved by Hold.
  void Release(std::uint64_t bytes) { held_ -= bytes; }
  /// Enters a nested document; false (and a recorded reason) when that is one level too deep.
  bool Enter();
  /// Leaves the nested document entered last.
  void Leave() { --depth_; }

  /// The result for the file: Extracted unless something failed or a limit was reached.
  Result Finish() const;

 private:
  enum class Stream { None, Text, Raw };
  bool Emit(std::string_view piece, Stream stream);
  bool Pass(std::string_view piece, Stream stream);
  void Fail(std::string_view reason, Gap gap);
  /// Keeps the first reason of the worst gap.
  void Record(std::string reason, Gap gap);

  TextSink& sink_;
  const Limits& limits_;
  std::uint64_t budget_;
  std::string budgetReason_;
  std::uint64_t given_ = 0;
  std::uint64_t inflated_ = 0;
  std::uint64_t sinceCheck_ = 0;
  double started_;
  std::uint64_t held_ = 0;
  Stream open_ = Stream::None;
  bool stopped_ = false;
  bool closed_ = false;  // the sink takes nothing more
  bool disowned_ = false;
  Recognition recognition_;
  int depth_ = 1;
  std::string reason_;
  Utf8Composer composer_;  // the text stream's letters, held back until their marks are seen
  std::string composed_;
  Gap gap_ = Gap::None;
};

/// The check made after every block of an archive's input read: the user may stop a long
/// unpacking here even when it gives nothing to search (an encrypted member skipped, a tree of
/// empty folders). False once the extraction must stop.
inline bool InputRead(Context& context, std::uint64_t bytes) {
  return context.Consumed(bytes);
}

/// Extracts a document of a recognised kind from the source; held is the same bytes when they
/// are in memory already (a nested document), else empty.
void ExtractKind(Context& context, ByteSource& source, Kind kind, std::string_view held = {});

/// Extracts bytes held in memory (a member, an attachment) as a document one level deeper, if
/// they are one.
void ExtractNested(Context& context, std::string_view bytes);

/// Reads the whole source into bytes if it holds at most limit bytes; records a reason if not.
bool ReadWhole(Context& context, ByteSource& source, std::string& bytes);

/// Reads a source front to back in blocks.
class SequentialReader {
 public:
  /// Reads from the start of the source.
  explicit SequentialReader(ByteSource& source) : source_(source) {}
  /// The next block; false at the end or on a read failure (then Failed() is true).
  bool Next(std::string_view& block);
  /// True when a read failed.
  bool Failed() const { return failed_; }

 private:
  ByteSource& source_;
  std::uint64_t offset_ = 0;
  std::string buffer_ = std::string(std::size_t{1} << 16, '\0');
  bool failed_ = false;
};

/// Takes a member's bytes piece by piece (an archive member, an attachment): passes them on as a
/// raw stream, and keeps them when they start like a document, to extract them once complete.
class MemberBytes {
 public:
  /// Collects for the given extraction.
  explicit MemberBytes(Context& context) : context_(context) {}
  /// Takes the next piece; false once the extraction must stop.
  bool Add(std::string_view bytes);
  /// Ends the raw stream and extracts the kept bytes as a nested document.
  void Finish();
  /// Gives back the room of what it still keeps.
  ~MemberBytes() { Drop(); }
  MemberBytes(const MemberBytes&) = delete;
  MemberBytes& operator=(const MemberBytes&) = delete;

 private:
  bool Reserve();
  void Drop();

  Context& context_;
  std::string kept_;
  std::uint64_t held_ = 0;  // what of kept_ was reserved with the context
  enum class State { Sniffing, Keeping, Passing } state_ = State::Sniffing;
};

}  // namespace extract::detail
