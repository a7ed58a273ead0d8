#pragma once

#include <string>
#include <string_view>

namespace extract::detail {

/// Decodes base64 piece by piece; characters outside the alphabet (line breaks) are ignored.
class Base64Decoder {
 public:
  /// Appends the bytes of the next piece's complete groups; a partial group waits.
  void Add(std::string_view text, std::string& out);

 private:
  unsigned bits_ = 0;
  int count_ = 0;
};

/// Appends the bytes of one quoted-printable line; a soft line break ("=" at its end) joins it to
/// the next line, otherwise a line break follows.
void DecodeQuotedPrintableLine(std::string_view line, std::string& out);

/// A header value as UTF-8: encoded words decoded and converted from their charset, the blanks
/// between two adjacent encoded words dropped, other bytes read as UTF-8 or Windows-1252.
std::string DecodeHeaderValue(std::string_view value);

/// A parameter of a structured header value (`text/plain; charset="utf-8"`), by case-insensitive
/// name, unquoted; a value split or encoded in the extended form (`name*0*=utf-8''M%C3%BC`) is
/// joined and decoded to UTF-8. Empty when absent.
std::string HeaderParameter(std::string_view value, std::string_view name);

/// The lower-case first token of a structured header value (`text/plain` of `text/plain; ...`).
std::string HeaderToken(std::string_view value);

}  // namespace extract::detail
