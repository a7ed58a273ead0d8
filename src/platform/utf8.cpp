#include "platform/utf8.h"

namespace platform {
namespace {

constexpr char16_t kRawByteBase = 0xDC80;

// Length of the valid UTF-8 sequence at text[at], or 0 when the byte there does not start one.
std::size_t ValidSequence(std::string_view text, std::size_t at, char32_t& code) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
  if (code < minimum || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

enum class RawBytes { Restore, Replace };

std::string Encode(std::u16string_view text, RawBytes raw) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= kRawByteBase && unit <= kRawByteBase + 0x7F && raw == RawBytes::Restore) {
      out += static_cast<char>(unit - kRawByteBase + 0x80);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t code) {
  if (code >= 0x10000) {
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<char16_t>(code);
  }
}

std::u16string FromUtf8(std::string_view utf8) {
  std::u16string text;
  text.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t code = 0;
    const std::size_t length = ValidSequence(utf8, at, code);
    if (length == 0) {
      // Bytes 0x80..0xFF that are not valid UTF-8 become lone low surrogates, kept losslessly.
      text += static_cast<char16_t>(kRawByteBase + static_cast<unsigned char>(utf8[at]) - 0x80);
      ++at;
      continue;
    }
    AppendUtf16(text, code);
    at += length;
  }
  return text;
}

bool IsValidUtf8(std::string_view utf8) {
  char32_t code = 0;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = ValidSequence(utf8, at, code);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string ToUtf8(std::u16string_view text) {
  return Encode(text, RawBytes::Restore);
}

std::string ToDisplayUtf8(std::u16string_view text) {
  return Encode(text, RawBytes::Replace);
}

}  // namespace platform
