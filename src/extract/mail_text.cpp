#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "extract/charset.h"
#include "extract/formats.h"
#include "extract/html_text.h"
#include "extract/mime_codec.h"

namespace extract::detail {

namespace {

constexpr std::size_t kMaxLine = std::size_t{64} << 10;
constexpr std::size_t kMaxHeaderBytes = std::size_t{256} << 10;
constexpr std::size_t kMaxMultipartNesting = 64;
constexpr std::size_t kFlushBytes = std::size_t{32} << 10;

enum class Transfer { Plain, QuotedPrintable, Base64 };

// A message's or part's body goes to one of these.
enum class BodyUse { Ignore, Text, Html, Member };

// Reads mail line by line: a message or an mbox of messages, every header block and MIME part.
// Memory stays bounded whatever the size: parts stream through their decoders, and only an
// attachment that starts like a document is kept (up to the whole-bytes limit) to be extracted.
class MailReader {
 public:
  MailReader(Context& context, MailFile form) : context_(context), form_(form) {}

  // One line without its line break; complete is false for the leading pieces of an overlong one.
  void Line(std::string_view line, bool complete) {
    if (!line.empty() && line.back() == '\r' && complete) line.remove_suffix(1);
    const bool startOfLine = lineStart_;
    lineStart_ = complete;
    if (startOfLine && form_ == MailFile::Mbox && previousBlank_ && line.starts_with("From ")) {
      EndMessage();
      state_ = State::Headers;
      previousBlank_ = false;
      return;
    }
    previousBlank_ = complete && line.empty();
    if (startOfLine && line.starts_with("--") && !boundaries_.empty() && Boundary(line)) return;
    switch (state_) {
      case State::Headers:
        Header(line, startOfLine, complete);
        break;
      case State::Body:
        Body(line, complete);
        break;
      case State::Skip:
        break;
    }
  }

  void Finish() {
    EndMessage();
    context_.Separate();
  }

 private:
  enum class State { Headers, Body, Skip };

  void Header(std::string_view line, bool startOfLine, bool complete) {
    if (startOfLine && complete && line.empty()) {
      EndHeaders();
      return;
    }
    if (headerBytes_ + line.size() > kMaxHeaderBytes) return;
    headerBytes_ += line.size();
    const bool continued = !startOfLine || line.starts_with(" ") || line.starts_with("\t");
    if (continued && !headers_.empty()) {
      headers_.back().second.append(startOfLine ? " " : "");
      headers_.back().second.append(startOfLine ? TrimLeft(line) : line);
      return;
    }
    const std::size_t colon = line.find(':');
    if (startOfLine && complete && !IsHeaderLine(line, colon)) {
      // The header block runs straight into its body, without the empty line between them.
      EndHeaders();
      if (state_ == State::Body) Body(line, complete);
      return;
    }
    if (colon == std::string_view::npos) return;
    headers_.emplace_back(std::string(line.substr(0, colon)),
                          std::string(TrimLeft(line.substr(colon + 1))));
  }

  // A field name of printable characters before the colon.
  static bool IsHeaderLine(std::string_view line, std::size_t colon) {
    if (colon == 0 || colon == std::string_view::npos || colon > 76) return false;
    for (const char c : line.substr(0, colon)) {
      if (c <= ' ' || c > '~') return false;
    }
    return true;
  }

  static std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text[0] == ' ' || text[0] == '\t'))
      text.remove_prefix(1);
    return text;
  }

  std::string Field(std::string_view name) const {
    const std::string wanted = LowerAscii(name);
    for (const auto& [key, value] : headers_) {
      if (LowerAscii(key) == wanted) return value;
    }
    return {};
  }

  // The header block of a message or part is complete: write it, and prepare for its body.
  void EndHeaders() {
    std::string text;
    for (const auto& [name, value] : headers_) {
      text += name + ": " + DecodeHeaderValue(value) + "\n";
    }
    const std::string type = Field("Content-Type");
    const std::string disposition = Field("Content-Disposition");
    for (const std::string& fileName :
         {HeaderParameter(type, "name"), HeaderParameter(disposition, "filename")}) {
      if (!fileName.empty()) text += fileName + "\n";
    }
    context_.Text(text);
    context_.Separate();

    std::string mediaType = HeaderToken(type);
    const std::string encoding = HeaderToken(Field("Content-Transfer-Encoding"));
    transfer_ = encoding == "base64"             ? Transfer::Base64
                : encoding == "quoted-printable" ? Transfer::QuotedPrintable
                                                 : Transfer::Plain;
    const std::string charset = HeaderParameter(type, "charset");
    headers_.clear();
    headerBytes_ = 0;
    state_ = State::Body;
    use_ = BodyUse::Ignore;

    if (mediaType.starts_with("multipart/")) {
      const std::string boundary = HeaderParameter(type, "boundary");
      if (!boundary.empty() && boundaries_.size() < kMaxMultipartNesting) {
        boundaries_.push_back(boundary);
        state_ = State::Skip;  // the preamble, up to the first boundary
        return;
      }
      mediaType = "text/plain";
    }
    if ((mediaType == "message/rfc822" || mediaType == "message/global") &&
        transfer_ == Transfer::Plain) {
      if (context_.Enter()) {
        nestedMessages_.push_back(boundaries_.size());
        state_ = State::Headers;
      } else {
        state_ = State::Skip;
      }
      return;
    }
    // Other text types (RTF, XML, CSV) are read like attachments: raw, and as documents.
    if (mediaType == "text/html") {
      use_ = BodyUse::Html;
      html_ = std::make_unique<HtmlText>(context_, charset);
    } else if (mediaType.empty() || mediaType == "text/plain") {
      use_ = BodyUse::Text;
      decoder_ = std::make_unique<CharsetDecoder>(charset);
    } else {
      use_ = BodyUse::Member;
      member_ = std::make_unique<MemberBytes>(context_);
    }
  }

  void Body(std::string_view line, bool complete) {
    if (use_ == BodyUse::Ignore) return;
    decoded_.clear();
    switch (transfer_) {
      case Transfer::Base64:
        base64_.Add(line, decoded_);
        break;
      case Transfer::QuotedPrintable:
        if (complete) {
          DecodeQuotedPrintableLine(line, decoded_);
        } else {
          decoded_.append(line);  // a piece of an overlong line: decoded as it is
        }
        break;
      case Transfer::Plain:
        decoded_.append(line);
        if (complete) decoded_.push_back('\n');
        break;
    }
    switch (use_) {
      case BodyUse::Text:
        decoder_->Add(decoded_, text_);
        if (text_.size() >= kFlushBytes) {
          context_.Text(text_);
          text_.clear();
        }
        break;
      case BodyUse::Html:
        html_->Feed(decoded_);
        break;
      case BodyUse::Member:
        member_->Add(decoded_);
        break;
      case BodyUse::Ignore:
        break;
    }
  }

  // A line that starts with "--": a boundary of one of the open multiparts ends the current part
  // (and every part nested deeper).
  bool Boundary(std::string_view line) {
    std::string_view rest = line.substr(2);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
      rest.remove_suffix(1);
    for (std::size_t level = boundaries_.size(); level-- > 0;) {
      const std::string& boundary = boundaries_[level];
      if (!rest.starts_with(boundary)) continue;
      const std::string_view after = rest.substr(boundary.size());
      if (!after.empty() && after != "--") continue;
      EndPart();
      while (!nestedMessages_.empty() && nestedMessages_.back() > level) {
        nestedMessages_.pop_back();
        context_.Leave();
      }
      boundaries_.resize(level + 1);
      headers_.clear();
      headerBytes_ = 0;
      if (after == "--") {
        boundaries_.pop_back();
        state_ = State::Skip;  // the epilogue
      } else {
        state_ = State::Headers;
      }
      return true;
    }
    return false;
  }

  void EndPart() {
    if (state_ == State::Headers && !headers_.empty()) EndHeaders();
    switch (use_) {
      case BodyUse::Text:
        decoder_->Finish(text_);
        context_.Text(text_);
        text_.clear();
        context_.Separate();
        break;
      case BodyUse::Html:
        html_->Finish();
        break;
      case BodyUse::Member:
        member_->Finish();
        break;
      case BodyUse::Ignore:
        break;
    }
    use_ = BodyUse::Ignore;
    decoder_.reset();
    html_.reset();
    member_.reset();
    base64_ = Base64Decoder();
  }

  void EndMessage() {
    EndPart();
    while (!nestedMessages_.empty()) {
      nestedMessages_.pop_back();
      context_.Leave();
    }
    boundaries_.clear();
    headers_.clear();
    headerBytes_ = 0;
  }

  Context& context_;
  MailFile form_;
  State state_ = State::Headers;
  bool lineStart_ = true;
  bool previousBlank_ = true;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::size_t headerBytes_ = 0;
  std::vector<std::string> boundaries_;
  std::vector<std::size_t> nestedMessages_;  // per nested message: boundaries open at its start
  Transfer transfer_ = Transfer::Plain;
  BodyUse use_ = BodyUse::Ignore;
  Base64Decoder base64_;
  std::unique_ptr<CharsetDecoder> decoder_;
  std::unique_ptr<HtmlText> html_;
  std::unique_ptr<MemberBytes> member_;
  std::string decoded_;
  std::string text_;
};

}  // namespace

void ExtractMail(Context& context, ByteSource& source, MailFile form) {
  MailReader reader(context, form);
  SequentialReader input(source);
  std::string line;
  std::string_view block;
  // Each block counts once it was read, so a limit keeps the text it held.
  for (std::size_t read = 0; context.Consumed(read) && input.Next(block);) {
    read = block.size();
    while (!block.empty() && !context.Stopped()) {
      const std::size_t end = block.find('\n');
      if (end == std::string_view::npos) {
        line.append(block);
        block = {};
      } else {
        line.append(block.substr(0, end));
        block.remove_prefix(end + 1);
        reader.Line(line, true);
        line.clear();
      }
      if (line.size() >= kMaxLine) {
        reader.Line(line, false);
        line.clear();
      }
    }
  }
  if (!line.empty() && !context.Stopped()) reader.Line(line, true);
  if (input.Failed()) context.Unread("read error");
  reader.Finish();
}

}  // namespace extract::detail
