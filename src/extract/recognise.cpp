#include <array>
#include <string>
#include <string_view>

#include "extract/archive_signature.h"
#include "extract/charset.h"
#include "extract/context.h"

namespace extract::detail {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string_view SkipSpace(std::string_view text) {
  while (!text.empty() &&
         (text[0] == ' ' || text[0] == '\t' || text[0] == '\r' || text[0] == '\n')) {
    text.remove_prefix(1);
  }
  return text;
}

std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The lower-case field name of a header line, or empty when the line is not one.
std::string HeaderName(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == 0 || colon == std::string_view::npos || colon > 76) return {};
  for (const char c : line.substr(0, colon)) {
    if (c <= ' ' || c > '~') return {};
  }
  return LowerAscii(line.substr(0, colon));
}

// A header block at the start of text: header lines (and their continuations) up to an empty
// line, a line that is no header (a body that follows without the empty line) or the end of the
// head. It is a mail's or a MIME part's when it says how a body is written (a Content-Type with a
// media type, a Content-Transfer-Encoding) or holds two of the fields every mail has.
bool LooksLikeHeaders(std::string_view text) {
  static constexpr std::array<std::string_view, 12> kMailFields = {
      "from",     "to",          "cc",           "subject",      "date",     "message-id",
      "received", "return-path", "mime-version", "delivered-to", "reply-to", "content-type"};
  static constexpr std::array<std::string_view, 5> kTransfers = {"7bit", "8bit", "binary",
                                                                 "quoted-printable", "base64"};
  int known = 0;
  bool mime = false;
  bool first = true;
  while (!text.empty()) {
    const std::string_view line = NextLine(text);
    if (line.empty()) break;
    if (!first && (line[0] == ' ' || line[0] == '\t')) continue;
    const std::string name = HeaderName(line);
    if (name.empty()) {
      if (first) return false;
      break;
    }
    for (const std::string_view field : kMailFields)
      known += name == field ? 1 : 0;
    const std::string value = LowerAscii(SkipSpace(line.substr(name.size() + 1)));
    if (name == "content-type") {
      const std::size_t slash = value.find('/');
      mime = mime ||
             (slash != std::string::npos && slash > 0 && value.find_first_of(" ;") > slash + 1);
    } else if (name == "content-transfer-encoding") {
      for (const std::string_view transfer : kTransfers)
        mime = mime || value.starts_with(transfer);
    }
    first = false;
  }
  return mime || known >= 2;
}

bool ContainsLower(std::string_view text, std::string_view needle) {
  return LowerAscii(text).find(needle) != std::string::npos;
}

// The image formats the recognition reads, by their signatures.
bool IsImage(std::string_view head) {
  if (StartsWith(head, "\x89PNG\r\n\x1A\n") || StartsWith(head, "\xFF\xD8\xFF") ||
      StartsWith(head, std::string_view("II*\0", 4)) ||
      StartsWith(head, std::string_view("MM\0*", 4)) || StartsWith(head, "GIF87a") ||
      StartsWith(head, "GIF89a")) {
    return true;
  }
  if (head.size() >= 12 && StartsWith(head, "RIFF") && head.substr(8, 4) == "WEBP") return true;
  // "BM" alone starts many a text; a bitmap's header has four reserved zero bytes after its size.
  return head.size() >= 26 && StartsWith(head, "BM") &&
         head.substr(6, 4) == std::string_view("\0\0\0\0", 4);
}

}  // namespace

bool MayBeIsoImage(std::string_view head) {
  return head.size() >= kHeadBytes && head.find_first_not_of('\0') == std::string_view::npos;
}

Kind Recognise(std::string_view head) {
  if (StartsWith(head, "PK\x03\x04") || StartsWith(head, "PK\x05\x06")) return Kind::Zip;
  if (StartsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return Kind::Compound;
  // A PDF may have a few bytes before its header, but then on a line of its own.
  const std::size_t pdf = head.substr(0, 1024).find("%PDF-");
  if (pdf == 0 ||
      (pdf != std::string_view::npos && (head[pdf - 1] == '\n' || head[pdf - 1] == '\r'))) {
    return Kind::Pdf;
  }
  if (StartsWith(head, "{\\rtf")) return Kind::Rtf;
  if (LooksLikeArchive(head)) return Kind::Archive;
  if (IsImage(head)) return Kind::Image;
  if (head.find('\0') != std::string_view::npos) return Kind::None;

  std::string_view text = head;
  if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
  if (StartsWith(text, "From ")) {
    std::string_view rest = text;
    NextLine(rest);
    return LooksLikeHeaders(rest) ? Kind::Mbox : Kind::None;
  }
  if (LooksLikeHeaders(text)) return Kind::Mail;

  text = SkipSpace(text);
  if (text.size() < 2 || text[0] != '<') return Kind::None;
  if (ContainsLower(text, "<html") || ContainsLower(text, "<!doctype html")) return Kind::Html;
  if (StartsWith(text, "<?xml") || StartsWith(text, "<!")) return Kind::Xml;
  // A root element: a name after "<", and closing tags in the head, which prose lacks.
  const std::size_t nameEnd = text.find_first_of(" \t\r\n/>", 1);
  const std::string_view name = text.substr(1, nameEnd == std::string_view::npos ? 0 : nameEnd - 1);
  const char first = name.empty() ? '\0' : name[0];
  const bool nameStart =
      (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '_';
  if (!nameStart) return Kind::None;
  if (text.find("</" + std::string(name)) != std::string_view::npos) return Kind::Xml;
  std::size_t closings = 0;
  for (std::size_t at = text.find("</"); at != std::string_view::npos;
       at = text.find("</", at + 2)) {
    ++closings;
  }
  return closings >= 3 ? Kind::Xml : Kind::None;
}

}  // namespace extract::detail
