#include "extract/charset.h"

#include <cerrno>

namespace extract::detail {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five unassigned ones map to the C1 control of their value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendCp1252(unsigned char byte, std::string& out) {
  if (byte < 0x80) {
    out.push_back(static_cast<char>(byte));
  } else {
    AppendUtf8(byte < 0xA0 ? kCp1252High[byte - 0x80] : byte, out);
  }
}

// Length of the valid UTF-8 sequence at the start of bytes: 0 when invalid, -1 when it may be
// valid but is cut off by the end of bytes.
int Utf8Length(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  int length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  for (int i = 1; i < length; ++i) {
    if (static_cast<std::size_t>(i) >= bytes.size()) return -1;
    const unsigned char next = at(static_cast<std::size_t>(i));
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

}  // namespace

void AppendUtf8(char32_t code, std::string& out) {
  if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

CharsetDecoder::CharsetDecoder(std::string_view charset) {
  std::string name = LowerAscii(charset);
  while (!name.empty() && (name.back() == ' ' || name.back() == '"'))
    name.pop_back();
  while (!name.empty() && (name.front() == ' ' || name.front() == '"'))
    name.erase(0, 1);
  if (name.empty() || name == "utf-8" || name == "utf8" || name == "unicode-1-1-utf-8") {
    mode_ = Mode::Utf8;
  } else if (name == "windows-1252" || name == "cp1252" || name == "us-ascii" || name == "ascii" ||
             name == "iso-8859-1" || name == "iso8859-1" || name == "latin1" ||
             name == "iso_8859-1" || name == "x-cp1252") {
    mode_ = Mode::Cp1252;
  } else if (name.size() < 40 &&
             name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-_.:") ==
                 std::string::npos) {
    iconv_ = iconv_open("UTF-8", name.c_str());
    mode_ = iconv_ == reinterpret_cast<iconv_t>(-1) ? Mode::Utf8 : Mode::Iconv;
  }
}

CharsetDecoder::~CharsetDecoder() {
  if (iconv_ != reinterpret_cast<iconv_t>(-1)) iconv_close(iconv_);
}

void CharsetDecoder::Add(std::string_view bytes, std::string& out) {
  switch (mode_) {
    case Mode::Cp1252:
      for (const char c : bytes)
        AppendCp1252(static_cast<unsigned char>(c), out);
      break;
    case Mode::Utf8:
      AddUtf8(bytes, out);
      break;
    case Mode::Iconv:
      AddIconv(bytes, out);
      break;
  }
}

void CharsetDecoder::AddUtf8(std::string_view bytes, std::string& out) {
  std::string joined;
  if (!carry_.empty()) {
    joined = carry_ + std::string(bytes);
    bytes = joined;
    carry_.clear();
  }
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t start = i;
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
      ++i;
    out.append(bytes.substr(start, i - start));
    if (i == bytes.size()) break;
    const int length = Utf8Length(bytes.substr(i));
    if (length < 0) {
      carry_.assign(bytes.substr(i));
      return;
    }
    if (length == 0) {
      AppendCp1252(static_cast<unsigned char>(bytes[i]), out);
      ++i;
    } else {
      out.append(bytes.substr(i, static_cast<std::size_t>(length)));
      i += static_cast<std::size_t>(length);
    }
  }
}

void CharsetDecoder::AddIconv(std::string_view bytes, std::string& out) {
  std::string input = carry_ + std::string(bytes);
  carry_.clear();
  char* in = input.data();
  std::size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPointer = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(iconv_, &in, &inLeft, &outPointer, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    if (done != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    if (errno == EINVAL) {  // an incomplete sequence at the end: wait for the next piece
      carry_.assign(in, inLeft);
      break;
    }
    AppendUtf8(0xFFFD, out);  // EILSEQ: skip one byte
    ++in;
    --inLeft;
  }
}

void CharsetDecoder::Finish(std::string& out) {
  if (mode_ == Mode::Utf8) {
    for (const char c : carry_)
      AppendCp1252(static_cast<unsigned char>(c), out);
  } else if (!carry_.empty()) {
    AppendUtf8(0xFFFD, out);
  }
  carry_.clear();
  if (mode_ == Mode::Iconv) iconv(iconv_, nullptr, nullptr, nullptr, nullptr);
}

std::string DecodeCharset(std::string_view charset, std::string_view bytes) {
  CharsetDecoder decoder(charset);
  std::string out;
  decoder.Add(bytes, out);
  decoder.Finish(out);
  return out;
}

}  // namespace extract::detail
