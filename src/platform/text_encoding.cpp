#include "platform/text_encoding.h"

#include "platform/system.h"
#include "platform/utf8.h"

namespace platform {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

/// The content as text: UTF-8 after a byte order mark and, where the convention is UTF-8, also
/// without one, as long as the rest is valid UTF-8 as a whole; otherwise the code page. Deciding
/// for the whole file keeps old code page files working: an umlaut byte alone is no valid UTF-8.
std::u16string DecodeConfiguration(std::string_view content, TextConvention convention,
                                   const CodePage& codePage) {
  const bool marked = content.starts_with(kUtf8ByteOrderMark);
  if (marked) content.remove_prefix(kUtf8ByteOrderMark.size());
  const bool utf8Allowed = marked || convention == TextConvention::Utf8;
  return utf8Allowed && IsValidUtf8(content) ? FromUtf8(content) : codePage.Decode(content);
}

}  // namespace

std::vector<std::u16string> ConfigurationLines(std::string_view content, TextConvention convention,
                                               const CodePage& codePage) {
  const std::u16string text = DecodeConfiguration(content, convention, codePage);
  const bool lineFeedEnds = convention == TextConvention::Utf8;
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char16_t character = text[at];
    if (character == u'\r') {
      lines.emplace_back(text, start, at - start);
      if (at + 1 < text.size() && text[at + 1] == u'\n') ++at;
      start = at + 1;
    } else if (character == u'\n' && lineFeedEnds) {
      lines.emplace_back(text, start, at - start);
      start = at + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text, start, text.size() - start);
  return lines;
}

std::string LogLineBytes(std::u16string_view line, TextConvention convention,
                         const CodePage& codePage) {
  return convention == TextConvention::Utf8 ? ToUtf8(line) : codePage.Encode(line);
}

TextEncodings DefaultEncodings(TextConvention convention) {
  if (convention == TextConvention::CodePage) return {TextEncoding::Ansi};
  return {TextEncoding::Utf8, TextEncoding::Ansi, TextEncoding::Utf16};
}

}  // namespace platform
