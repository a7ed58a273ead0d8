#include "extract/extract.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "extract/context.h"
#include "extract/formats.h"

namespace extract {

bool MemorySource::ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                          std::size_t& count) {
  count = 0;
  if (offset < bytes_.size()) {
    count = static_cast<std::size_t>(std::min<std::uint64_t>(size, bytes_.size() - offset));
    std::memcpy(buffer, bytes_.data() + offset, count);
  }
  return true;
}

namespace detail {

namespace {

std::string Megabytes(std::uint64_t bytes) {
  if (bytes % (std::uint64_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MB";
  return std::to_string(bytes) + " bytes";
}

std::string LimitText(const Limits& limits) {
  if (limits.MaxText % (std::uint64_t{1} << 20) == 0) {
    return "extraction limit: " + std::to_string(limits.MaxText >> 20) + " MB of text";
  }
  return "extraction limit: " + std::to_string(limits.MaxText) + " bytes of text";
}

std::string RatioText(double ratio) {
  char number[32];
  std::snprintf(number, sizeof number, "%g", ratio);
  return std::string("extraction limit: ratio ") + number + ":1";
}

// Processor seconds of the calling thread; wall-clock seconds where those are not known.
double ThreadSeconds() {
#if defined(CLOCK_THREAD_CPUTIME_ID)
  timespec now{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0) {
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
  }
#endif
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

// The reasons for the limits added later are German like the rest of what the user reads; the
// older English ones stay as reports and scripts know them.
std::string TimeLimitReason(double seconds) {
  char number[32];
  std::snprintf(number, sizeof number, "%g", seconds);
  return std::string("Zeitlimit: ") + number + " s";
}

std::string TokenLimitReason(std::uint64_t bytes) {
  return "Token zu gro\xC3\x9F: mehr als " + Megabytes(bytes);
}

std::string InflateLimitReason(std::uint64_t bytes) {
  return "entpackt zu gro\xC3\x9F: mehr als " + Megabytes(bytes);
}

Context::Context(TextSink& sink, const Limits& limits, std::uint64_t fileSize)
    : sink_(sink), limits_(limits), started_(ThreadSeconds()) {
  const double scaled = limits.MaxRatio * static_cast<double>(fileSize);
  const std::uint64_t byRatio =
      scaled >= 1.8e19 ? UINT64_MAX
                       : std::max(limits.RatioFloor, static_cast<std::uint64_t>(scaled));
  if (byRatio < limits.MaxText) {
    budget_ = byRatio;
    budgetReason_ = RatioText(limits.MaxRatio);
  } else {
    budget_ = limits.MaxText;
    budgetReason_ = LimitText(limits);
  }
}

bool Context::Emit(std::string_view piece, Stream stream) {
  // Past a limit on the work, text already read still goes out (what a reader holds back is
  // small); past the text limit or a stop request nothing does.
  if (closed_) return false;
  if (piece.empty()) return !stopped_;
  if (open_ != stream) {
    Separate();
    open_ = stream;
  }
  if (stream == Stream::Raw) return Pass(piece, stream);
  composed_.clear();
  composer_.Add(piece, composed_);
  return Pass(composed_, stream);
}

bool Context::Pass(std::string_view piece, Stream stream) {
  if (piece.empty()) return true;
  const std::uint64_t room = budget_ - given_;
  const bool over = piece.size() > room;
  if (over) piece = piece.substr(0, static_cast<std::size_t>(room));
  given_ += piece.size();
  const bool more = stream == Stream::Text ? sink_.Text(piece) : sink_.Raw(piece);
  if (over) {
    reason_ = budgetReason_;  // the limit outweighs any earlier reason
    gap_ = Gap::Unread;
    stopped_ = closed_ = true;
  } else if (!more) {
    Record("stopped", Gap::Unread);
    stopped_ = closed_ = true;
  }
  return !stopped_;
}

bool Context::Consumed(std::uint64_t bytes) {
  sinceCheck_ += bytes;
  if (sinceCheck_ < kCheckBytes) return !stopped_;
  return Check();
}

bool Context::Check() {
  sinceCheck_ = 0;
  if (stopped_) return false;
  if (!sink_.KeepGoing()) {
    Record("stopped", Gap::Unread);
    stopped_ = closed_ = true;
  } else if (Elapsed() >= limits_.MaxSeconds) {
    Exceed(TimeLimitReason(limits_.MaxSeconds));
  }
  return !stopped_;
}

double Context::Elapsed() const {
  return ThreadSeconds() - started_;
}

void Context::Exceed(std::string reason) {
  if (stopped_) return;
  reason_ = std::move(reason);
  gap_ = Gap::Unread;
  stopped_ = true;
}

bool Context::Inflated(std::uint64_t bytes) {
  inflated_ += bytes;
  // The bound counts what was unpacked, so the reason says so: no text may have come out.
  if (inflated_ / 4 > budget_) Exceed(InflateLimitReason(budget_ * 4));
  return Consumed(bytes);
}

void Context::Separate() {
  if (open_ == Stream::None) return;
  if (open_ == Stream::Text) {
    composed_.clear();
    composer_.Flush(composed_);
    if (!closed_) Pass(composed_, Stream::Text);  // text read before a limit is kept
  }
  open_ = Stream::None;
  sink_.Separate();
}

void Context::Record(std::string reason, Gap gap) {
  if (reason_.empty() || gap > gap_) reason_ = std::move(reason);
  if (gap > gap_) gap_ = gap;
}

void Context::Fail(std::string_view reason, Gap gap) {
  Record(depth_ > 1 ? "embedded document: " + std::string(reason) : std::string(reason), gap);
}

bool Context::Enter() {
  if (depth_ >= limits_.MaxDepth) {
    Record("nesting deeper than " + std::to_string(limits_.MaxDepth), Gap::Unread);
    return false;
  }
  ++depth_;
  return true;
}

Result Context::Finish() const {
  if (disowned_ && reason_.empty() && given_ == 0) return {Outcome::NotADocument, {}};
  // A document without text is listed, but may be empty on purpose (a blank template): it does
  // not make the run incomplete.
  if (reason_.empty() && given_ == 0) return {Outcome::NotExtracted, "no content", Gap::Damaged};
  if (reason_.empty()) return {Outcome::Extracted, {}, Gap::None};
  return {Outcome::NotExtracted, reason_, gap_};
}

void ExtractKind(Context& context, ByteSource& source, Kind kind, std::string_view held) {
  switch (kind) {
    case Kind::None:
      break;
    case Kind::Zip:
      ExtractZip(context, source);
      break;
    case Kind::Pdf:
      ExtractPdf(context, source, held);
      break;
    case Kind::Rtf:
      ExtractRtf(context, source);
      break;
    case Kind::Html:
      ExtractHtml(context, source);
      break;
    case Kind::Xml:
      ExtractXml(context, source);
      break;
    case Kind::Mail:
      ExtractMail(context, source, MailFile::Message);
      break;
    case Kind::Mbox:
      ExtractMail(context, source, MailFile::Mbox);
      break;
    case Kind::Compound:
      ExtractCompound(context, source);
      break;
    case Kind::Archive:
      ExtractArchive(context, source);
      break;
    case Kind::Image: {
      // Recognition has its own limits; its time does not count against reading text.
      const double before = context.Elapsed();
      ExtractImage(context, source, held);
      context.Discount(context.Elapsed() - before);
      break;
    }
  }
  context.Separate();
}

void ExtractNested(Context& context, std::string_view bytes) {
  const Kind kind = Recognise(bytes.substr(0, kHeadBytes));
  // Pictures inside documents (a letterhead's logo) are not recognised: only image files and
  // scanned pages are.
  if (kind == Kind::None || kind == Kind::Image || context.Stopped() || !context.Enter()) return;
  MemorySource source(bytes);
  ExtractKind(context, source, kind, bytes);
  context.Leave();
}

bool Context::Hold(std::uint64_t bytes) {
  if (bytes > limits_.MaxWholeBytes - held_) return false;
  held_ += bytes;
  return true;
}

bool ReadWhole(Context& context, ByteSource& source, std::string& bytes) {
  const std::uint64_t size = source.Size();
  if (size > context.limits().MaxWholeBytes) {
    context.Unread("too large to extract");
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t count = 0;
    if (!source.ReadAt(done, bytes.data() + done, bytes.size() - done, count)) {
      context.Unread("read error");
      return false;
    }
    if (count == 0) break;  // the file shrank: take what is there
    done += count;
  }
  bytes.resize(done);
  return true;
}

bool SequentialReader::Next(std::string_view& block) {
  std::size_t count = 0;
  if (failed_ || !source_.ReadAt(offset_, buffer_.data(), buffer_.size(), count)) {
    failed_ = true;
    return false;
  }
  offset_ += count;
  block = std::string_view(buffer_.data(), count);
  return count > 0;
}

bool MemberBytes::Add(std::string_view bytes) {
  std::string_view rest = bytes;
  if (state_ == State::Sniffing) {
    const std::size_t take = std::min(rest.size(), kHeadBytes - kept_.size());
    kept_.append(rest.substr(0, take));
    rest.remove_prefix(take);
    if (kept_.size() >= kHeadBytes) {
      state_ = Recognise(kept_) == Kind::None ? State::Passing : State::Keeping;
      if (state_ == State::Passing) Drop();
    }
  }
  if (state_ == State::Keeping) {
    kept_.append(
        rest.substr(0, std::min<std::uint64_t>(rest.size(), context_.limits().MaxWholeBytes)));
    if (!Reserve()) {
      context_.FailEmbedded("too large to extract");
      Drop();
    }
  }
  return context_.Raw(bytes);
}

bool MemberBytes::Reserve() {
  const std::uint64_t more = kept_.size() - held_;
  if (!context_.Hold(more)) return false;
  held_ += more;
  return true;
}

void MemberBytes::Finish() {
  context_.Separate();
  if (state_ == State::Sniffing && Recognise(kept_) != Kind::None) state_ = State::Keeping;
  if (state_ == State::Keeping) {
    if (Reserve()) {
      ExtractNested(context_, kept_);
    } else {
      context_.FailEmbedded("too large to extract");
    }
  }
  Drop();
}

void MemberBytes::Drop() {
  state_ = State::Passing;
  std::string().swap(kept_);
  context_.Release(held_);
  held_ = 0;
}

}  // namespace detail

std::string ReasonText(std::string_view reason) {
  static constexpr std::pair<std::string_view, std::string_view> kWords[] = {
      {"encrypted", "verschlüsselt"},
      {"damaged zip", "beschädigt (ZIP)"},
      {"damaged PDF", "beschädigt (PDF)"},
      {"damaged XML", "beschädigt (XML)"},
      {"damaged RTF", "beschädigt (RTF)"},
      {"unsupported compression", "nicht unterstützte Kompression"},
      {"no content", "kein Inhalt"},
      {"too large to extract", "zu groß zum Lesen"},
      {"read error", "Lesefehler"},
      {"stopped", "abgebrochen"},
  };
  static constexpr std::pair<std::string_view, std::string_view> kPrefixes[] = {
      {"embedded document: ", "eingebettetes Dokument: "},
      {"nesting deeper than ", "tiefer verschachtelt als "},
      {"extraction limit: ratio ", "Grenze erreicht: Verhältnis "},
      {"extraction limit: ", "Grenze erreicht: "},
  };
  for (const auto& [english, german] : kWords) {
    if (reason == english) return std::string(german);
  }
  for (const auto& [english, german] : kPrefixes) {
    if (!reason.starts_with(english)) continue;
    std::string rest = ReasonText(reason.substr(english.size()));
    for (const auto& [unit, einheit] :
         {std::pair<std::string_view, std::string_view>{" bytes of text", " Bytes Text"},
          {" of text", " Text"}}) {
      if (rest.ends_with(unit)) {
        rest = rest.substr(0, rest.size() - unit.size()) + std::string(einheit);
        break;
      }
    }
    return std::string(german) + rest;
  }
  return std::string(reason);
}

bool KnownByHead(std::string_view head) {
  return detail::Recognise(head.substr(0, detail::kHeadBytes)) != detail::Kind::None;
}

bool MayBeDocument(std::string_view head) {
  head = head.substr(0, detail::kHeadBytes);
  return detail::Recognise(head) != detail::Kind::None || detail::MayBeIsoImage(head);
}

Result ExtractText(ByteSource& source, TextSink& sink, const Limits& limits,
                   const Recognition& recognition) {
  std::string head(detail::kHeadBytes, '\0');
  std::size_t count = 0, done = 0;
  while (done < head.size()) {
    if (!source.ReadAt(done, head.data() + done, head.size() - done, count)) {
      return {Outcome::NotADocument, {}};  // the caller's own read reports the failure
    }
    if (count == 0) break;
    done += count;
  }
  head.resize(done);
  detail::Kind kind = detail::Recognise(head);
  if (kind == detail::Kind::None && detail::MayBeIsoImage(head)) {
    char magic[5] = {};
    count = 0;
    if (source.ReadAt(detail::kIsoMagicOffset, magic, sizeof magic, count) &&
        std::string_view(magic, count) == "CD001") {
      kind = detail::Kind::Archive;
    }
  }
  if (kind == detail::Kind::None) return {Outcome::NotADocument, {}};
  detail::Context context(sink, limits, source.Size());
  context.Recognise(recognition);
  detail::ExtractKind(context, source, kind);
  return context.Finish();
}

}  // namespace extract
