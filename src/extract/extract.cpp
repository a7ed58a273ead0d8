#include "extract/extract.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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

}  // namespace

Context::Context(TextSink& sink, const Limits& limits, std::uint64_t fileSize)
    : sink_(sink), limits_(limits) {
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
  if (stopped_) return false;
  if (piece.empty()) return true;
  if (open_ != stream) {
    Separate();
    open_ = stream;
  }
  const std::uint64_t room = budget_ - given_;
  const bool over = piece.size() > room;
  if (over) piece = piece.substr(0, static_cast<std::size_t>(room));
  given_ += piece.size();
  const bool more = stream == Stream::Text ? sink_.Text(piece) : sink_.Raw(piece);
  if (over) {
    reason_ = budgetReason_;  // the limit outweighs any earlier reason
    stopped_ = true;
  } else if (!more) {
    Record("stopped");
    stopped_ = true;
  }
  return !stopped_;
}

bool Context::Inflated(std::uint64_t bytes) {
  inflated_ += bytes;
  if (inflated_ / 4 > budget_ && !stopped_) {
    reason_ = budgetReason_;
    stopped_ = true;
  }
  return !stopped_;
}

void Context::Separate() {
  if (open_ == Stream::None) return;
  open_ = Stream::None;
  sink_.Separate();
}

void Context::Record(std::string reason) {
  if (reason_.empty()) reason_ = std::move(reason);
}

void Context::Fail(std::string_view reason) {
  Record(depth_ > 1 ? "embedded document: " + std::string(reason) : std::string(reason));
}

bool Context::Enter() {
  if (depth_ >= limits_.MaxDepth) {
    Record("nesting deeper than " + std::to_string(limits_.MaxDepth));
    return false;
  }
  ++depth_;
  return true;
}

Result Context::Finish() const {
  if (disowned_ && reason_.empty() && given_ == 0) return {Outcome::NotADocument, {}, false};
  if (reason_.empty()) return {Outcome::Extracted, {}, false};
  return {Outcome::NotExtracted, reason_, unread_};
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
    case Kind::Image:
      ExtractImage(context, source, held);
      break;
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
    context.Fail("too large to extract");
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t count = 0;
    if (!source.ReadAt(done, bytes.data() + done, bytes.size() - done, count)) {
      context.Fail("read error");
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

bool MayBeDocument(std::string_view head) {
  return detail::Recognise(head.substr(0, detail::kHeadBytes)) != detail::Kind::None;
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
  const detail::Kind kind = detail::Recognise(head);
  if (kind == detail::Kind::None) return {Outcome::NotADocument, {}};
  detail::Context context(sink, limits, source.Size());
  context.Recognise(recognition);
  detail::ExtractKind(context, source, kind);
  return context.Finish();
}

}  // namespace extract
