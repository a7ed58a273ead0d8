#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace extract::detail {

/// Appends a code point as UTF-8; surrogates and values beyond Unicode become U+FFFD.
void AppendUtf8(char32_t code, std::string& out);
/// The lower-case ASCII form of a label (charset names, header names, element names).
std::string LowerAscii(std::string_view text);

/// Converts text in a named charset to UTF-8, piece by piece (a sequence may span two pieces).
/// UTF-8 is checked and Windows-1252 mapped by table; other charsets go through iconv. An unknown
/// or empty name reads valid UTF-8 as such and any other byte as Windows-1252, as does the
/// US-ASCII and ISO-8859-1 labels that mail and web pages use for Windows-1252.
class CharsetDecoder {
 public:
  /// Prepares for the named charset.
  explicit CharsetDecoder(std::string_view charset);
  ~CharsetDecoder();
  CharsetDecoder(const CharsetDecoder&) = delete;
  CharsetDecoder& operator=(const CharsetDecoder&) = delete;

  /// Converts the next piece, appending to out; an incomplete sequence at its end is kept.
  void Add(std::string_view bytes, std::string& out);
  /// Converts what is kept: an incomplete sequence becomes U+FFFD (Windows-1252 where UTF-8).
  void Finish(std::string& out);

 private:
  enum class Mode { Utf8, Cp1252, Iconv };
  void AddUtf8(std::string_view bytes, std::string& out);
  void AddIconv(std::string_view bytes, std::string& out);

  Mode mode_ = Mode::Utf8;
  iconv_t iconv_ = reinterpret_cast<iconv_t>(-1);
  std::string carry_;
};

/// Converts a whole piece in one go (header words, short texts).
std::string DecodeCharset(std::string_view charset, std::string_view bytes);

}  // namespace extract::detail
