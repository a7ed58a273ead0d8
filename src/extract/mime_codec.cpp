#include "extract/mime_codec.h"

#include <vector>

#include "extract/charset.h"

namespace extract::detail {

namespace {

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+' || c == '-') return 62;
  if (c == '/' || c == '_') return 63;
  return -1;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// Decodes one encoded word "=?charset?B?text?=" at the start of text; its length, or 0 if there
// is none.
std::size_t EncodedWord(std::string_view text, std::string& out) {
  if (text.substr(0, 2) != "=?") return 0;
  const std::size_t q1 = text.find('?', 2);
  if (q1 == std::string_view::npos || q1 + 2 >= text.size() || text[q1 + 2] != '?') return 0;
  // An encoded word is short; looking further would make a long header cost quadratic time.
  const std::size_t end = text.substr(0, 256).find("?=", q1 + 3);
  if (end == std::string_view::npos) return 0;
  std::string_view charset = text.substr(2, q1 - 2);
  charset = charset.substr(0, charset.find('*'));  // a language after "*"
  const char encoding = text[q1 + 1];
  const std::string_view payload = text.substr(q1 + 3, end - q1 - 3);
  if (payload.find_first_of(" \t") != std::string_view::npos) return 0;
  std::string bytes;
  if (encoding == 'B' || encoding == 'b') {
    Base64Decoder decoder;
    decoder.Add(payload, bytes);
  } else if (encoding == 'Q' || encoding == 'q') {
    for (std::size_t i = 0; i < payload.size(); ++i) {
      const char c = payload[i];
      if (c == '_') {
        bytes.push_back(' ');
      } else if (c == '=' && i + 2 < payload.size() && HexValue(payload[i + 1]) >= 0 &&
                 HexValue(payload[i + 2]) >= 0) {
        bytes.push_back(
            static_cast<char>(HexValue(payload[i + 1]) * 16 + HexValue(payload[i + 2])));
        i += 2;
      } else {
        bytes.push_back(c);
      }
    }
  } else {
    return 0;
  }
  out += DecodeCharset(charset, bytes);
  return end + 2;
}

// The parameters of a structured value as name (lower case) and raw value pairs.
std::vector<std::pair<std::string, std::string>> Parameters(std::string_view value) {
  std::vector<std::pair<std::string, std::string>> parameters;
  std::size_t i = value.find(';');
  while (i != std::string_view::npos && i < value.size()) {
    ++i;
    const std::size_t equals = value.find('=', i);
    if (equals == std::string_view::npos) break;
    std::string name = LowerAscii(Trim(value.substr(i, equals - i)));
    std::size_t j = equals + 1;
    while (j < value.size() && IsBlank(value[j]))
      ++j;
    std::string content;
    if (j < value.size() && value[j] == '"') {
      for (++j; j < value.size() && value[j] != '"'; ++j) {
        if (value[j] == '\\' && j + 1 < value.size()) ++j;
        content.push_back(value[j]);
      }
      i = value.find(';', j);
    } else {
      i = value.find(';', j);
      content = Trim(value.substr(j, i == std::string_view::npos ? i : i - j));
    }
    parameters.emplace_back(std::move(name), std::move(content));
  }
  return parameters;
}

std::string PercentDecode(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      bytes.push_back(text[i]);
    }
  }
  return bytes;
}

}  // namespace

void Base64Decoder::Add(std::string_view text, std::string& out) {
  for (const char c : text) {
    const int value = Base64Value(c);
    if (value < 0) continue;
    bits_ = (bits_ << 6) | static_cast<unsigned>(value);
    if (++count_ == 4) {
      out.push_back(static_cast<char>((bits_ >> 16) & 0xFF));
      out.push_back(static_cast<char>((bits_ >> 8) & 0xFF));
      out.push_back(static_cast<char>(bits_ & 0xFF));
      bits_ = 0;
      count_ = 0;
    }
  }
  // "=" padding ends a group early: what it holds is complete.
  if (count_ >= 2 && text.find('=') != std::string_view::npos) {
    out.push_back(static_cast<char>((bits_ >> (6 * count_ - 8)) & 0xFF));
    if (count_ == 3) out.push_back(static_cast<char>((bits_ >> 2) & 0xFF));
    bits_ = 0;
    count_ = 0;
  }
}

void DecodeQuotedPrintableLine(std::string_view line, std::string& out) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c != '=') {
      out.push_back(c);
    } else if (i + 1 == line.size()) {
      return;  // soft line break
    } else if (i + 2 < line.size() && HexValue(line[i + 1]) >= 0 && HexValue(line[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(line[i + 1]) * 16 + HexValue(line[i + 2])));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  out.push_back('\n');
}

std::string DecodeHeaderValue(std::string_view value) {
  std::string out;
  bool afterWord = false;
  std::size_t i = 0;
  while (i < value.size()) {
    std::size_t next = value.find("=?", i);
    if (next == std::string_view::npos) next = value.size();
    const std::string_view plain = value.substr(i, next - i);
    std::string decoded;
    const std::size_t length = next < value.size() ? EncodedWord(value.substr(next), decoded) : 0;
    // Blanks between two encoded words belong to neither.
    if (!(afterWord && length > 0 && Trim(plain).empty())) out += DecodeCharset("", plain);
    if (length > 0) {
      out += decoded;
      i = next + length;
      afterWord = true;
    } else {
      if (next < value.size()) out += "=?";
      i = next < value.size() ? next + 2 : next;
      afterWord = false;
    }
  }
  return out;
}

std::string HeaderParameter(std::string_view value, std::string_view name) {
  const std::string wanted = LowerAscii(name);
  std::string plain, extended;
  bool encoded = false;
  for (const auto& [key, content] : Parameters(value)) {
    if (key == wanted) {
      plain = content;
    } else if (key.starts_with(wanted + "*")) {
      // name*=, name*0=, name*0*=, name*1*= ...: pieces in order, "*" at the end when encoded
      const bool pieceEncoded = key.back() == '*';
      if (pieceEncoded) encoded = true;
      extended += pieceEncoded ? PercentDecode(content) : content;
    }
  }
  if (extended.empty()) return DecodeHeaderValue(plain);
  if (!encoded) return DecodeCharset("", extended);
  const std::size_t quote1 = extended.find('\'');
  const std::size_t quote2 =
      quote1 == std::string::npos ? std::string::npos : extended.find('\'', quote1 + 1);
  if (quote2 == std::string::npos) return DecodeCharset("", extended);
  return DecodeCharset(extended.substr(0, quote1), std::string_view(extended).substr(quote2 + 1));
}

std::string HeaderToken(std::string_view value) {
  return LowerAscii(Trim(value.substr(0, value.find(';'))));
}

}  // namespace extract::detail
