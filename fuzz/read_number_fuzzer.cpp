// The number reader: never NaN; blanks anywhere change nothing; and a plain decimal number reads
// exactly as the C library's correctly rounded conversion reads it.
#include <cmath>
#include <cstdlib>
#include <regex>

#include "fuzz_input.h"
#include "support/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(BytesOf(data, size));
  const std::u16string text = TextFromBytes(bytes);
  const double value = ReadNumber(text);
  // Blanks, tabs and line feeds are skipped wherever they stand, also in front.
  std::u16string spaced = u"\n ";
  for (const char16_t character : text)
    spaced += character == u'&' ? std::u16string(1, character) : character + std::u16string(u" \t");
  if (std::isnan(value) || ReadNumber(spaced) != value) std::abort();
  // [sign] digits [. digits] [e [sign] digits]: read whole by both; below the smallest normal
  // number the two may round differently.
  static const std::regex plain("[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?");
  if (size > 256 || !std::regex_match(bytes, plain)) return 0;
  const double expected = std::strtod(bytes.c_str(), nullptr);
  if ((std::fabs(expected) >= 0x1p-1022 || expected == 0) && value != expected) std::abort();
  return 0;
}
