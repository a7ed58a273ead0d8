#include "support/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

double RoundHalfEven(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  // nearbyint rounds in the default mode, which sends halves to the even neighbour.
  return std::nearbyint(value * scale) / scale;
}

namespace {

std::u16string Widen(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace

std::u16string NumberText(double value) {
  if (value == 0) return u"0";
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (error != std::errc()) return u"0";
  std::string text(buffer, end);
  const std::size_t exponent = text.find('e');
  if (exponent != std::string::npos) {
    // Exponent notation as the number conversion writes it: "1E+15", "1.5E-07".
    text[exponent] = 'E';
    return Widen(text);
  }
  if (text.starts_with("0.")) {
    text.erase(0, 1);
  } else if (text.starts_with("-0.")) {
    text.erase(1, 1);
  }
  return Widen(text);
}

std::u16string FormatSize(double bytes, std::int16_t decimals) {
  if (bytes < 1000) return NumberText(RoundHalfEven(bytes, 0)) + u" B";
  const double kilobytes = bytes / 1024;
  if (kilobytes < 1000) return NumberText(RoundHalfEven(kilobytes, decimals)) + u" KB";
  const double megabytes = bytes / 1024 / 1024;
  if (megabytes < 1000) return NumberText(RoundHalfEven(megabytes, decimals)) + u" MB";
  return NumberText(RoundHalfEven(bytes / 1024 / 1024 / 1024, decimals)) + u" GB";
}

namespace {

bool IsSkipped(char16_t character) {
  return character == u' ' || character == u'\t' || character == u'\n';
}

int DigitValue(char16_t character) {
  if (character >= u'0' && character <= u'9') return character - u'0';
  if (character >= u'A' && character <= u'F') return character - u'A' + 10;
  if (character >= u'a' && character <= u'f') return character - u'a' + 10;
  return 99;
}

// Reads "&H..." or "&O..." digits after the prefix; the value is taken as unsigned.
double ReadRadixNumber(std::u16string_view text, std::size_t at, int radix) {
  double value = 0;
  for (; at < text.size(); ++at) {
    if (IsSkipped(text[at])) continue;
    const int digit = DigitValue(text[at]);
    if (digit >= radix) break;
    value = value * radix + digit;
  }
  return value;
}

/// Whether a number out of the double range ([-]digits[.digits][e[sign]digits]) lies above it
/// rather than below: its first significant digit's decimal place plus the exponent is positive.
/// A sign of the exponent alone does not tell: "1000...0e-10" with enough zeros is too large.
bool IsTooLarge(std::string_view number) {
  const std::size_t e = number.find('e');
  const std::string_view mantissa = number.substr(0, e);
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  std::int64_t place = first < point ? static_cast<std::int64_t>(point - first - 1)
                                     : -static_cast<std::int64_t>(first - point);
  if (e != std::string_view::npos) {
    std::int64_t exponent = 0;
    const bool negative = e + 1 < number.size() && number[e + 1] == '-';
    for (std::size_t at = e + 1; at < number.size(); ++at) {
      // Saturate far beyond any place a text can reach; the sign of the sum is all that counts.
      if (number[at] >= '0' && number[at] <= '9')
        exponent = std::min<std::int64_t>(exponent * 10 + (number[at] - '0'), 1'000'000'000'000);
    }
    place += negative ? -exponent : exponent;
  }
  return place > 0;
}

}  // namespace

double ReadNumber(std::u16string_view text) {
  std::size_t at = 0;
  auto skip = [&] {
    while (at < text.size() && IsSkipped(text[at]))
      ++at;
  };
  skip();
  if (at + 1 < text.size() && text[at] == u'&') {
    const char16_t kind = text[at + 1];
    if (kind == u'H' || kind == u'h') return ReadRadixNumber(text, at + 2, 16);
    if (kind == u'O' || kind == u'o') return ReadRadixNumber(text, at + 2, 8);
    return 0;
  }
  // Gather the number's characters without the skipped ones, then convert them exactly.
  std::string number;
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) {
    if (text[at] == u'-') number += '-';
    ++at;
  }
  bool anyDigit = false;
  bool seenPoint = false;
  for (; at < text.size(); ++at) {
    const char16_t character = text[at];
    if (IsSkipped(character)) continue;
    if (character >= u'0' && character <= u'9') {
      number += static_cast<char>(character);
      anyDigit = true;
    } else if (character == u'.' && !seenPoint) {
      number += '.';
      seenPoint = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return 0;
  if (at < text.size() &&
      (text[at] == u'E' || text[at] == u'e' || text[at] == u'D' || text[at] == u'd')) {
    std::string exponent = "e";
    std::size_t next = at + 1;
    while (next < text.size() && IsSkipped(text[next]))
      ++next;
    if (next < text.size() && (text[next] == u'-' || text[next] == u'+')) {
      exponent += static_cast<char>(text[next]);
      ++next;
    }
    bool exponentDigit = false;
    for (; next < text.size(); ++next) {
      if (IsSkipped(text[next])) continue;
      if (text[next] < u'0' || text[next] > u'9') break;
      exponent += static_cast<char>(text[next]);
      exponentDigit = true;
    }
    if (exponentDigit) number += exponent;
  }
  double value = 0;
  const char* first = number.data();
  const auto [end, error] = std::from_chars(first, first + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Too large gives infinity of the right sign; too small gives zero.
    if (!IsTooLarge(number)) return 0;
    return number.front() == '-' ? -std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::infinity();
  }
  (void)end;
  return value;
}

std::int64_t SaturatingRound(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = std::nearbyint(value);
  // 2^63 is exactly representable; anything at or above it saturates.
  if (rounded >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
  if (rounded < -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(rounded);
}
