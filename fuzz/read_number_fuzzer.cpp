// The number reader: never a crash or NaN; blanks anywhere change nothing; and a plain decimal
// number reads exactly as the C library's correctly rounded conversion reads it.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "support/number_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

/// True when text is [sign] digits [. digits] [e [sign] digits] with at least one digit before
/// the exponent: the form both readers take whole.
bool IsPlainDecimal(std::string_view text) {
  std::size_t at = 0;
  const auto digits = [&] {
    const std::size_t from = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
      ++at;
    return at - from;
  };
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  std::size_t mantissa = digits();
  if (at < text.size() && text[at] == '.') {
    ++at;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (digits() == 0) return false;
  }
  return at == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = BytesOf(data, size);
  const std::u16string text = TextFromBytes(bytes);
  const double value = ReadNumber(text);
  Check(!std::isnan(value));

  // Blanks, tabs and line feeds are skipped wherever they stand, also in front.
  std::u16string spaced;
  for (const char16_t character : text) {
    spaced += character;
    if (character != u'&') spaced += u" \t";
  }
  const double respaced = ReadNumber(u"\n " + spaced);
  Check(respaced == value || (std::isnan(respaced) && std::isnan(value)));

  if (IsPlainDecimal(bytes)) {
    const std::string plain(bytes);
    errno = 0;
    const double expected = std::strtod(plain.c_str(), nullptr);
    // Below the smallest normal number the readers may round differently towards zero.
    if (std::fabs(expected) >= 2.2250738585072014e-308 || expected == 0) Check(value == expected);
  }
  return 0;
}
