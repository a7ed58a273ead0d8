#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// Rounds to the given number of decimals, a half going to the even neighbour.
double RoundHalfEven(double value, int decimals);

/// A number as shown to the user: at most 15 significant digits, "." as decimal point whatever
/// the locale, no trailing zeros, no zero before the point below 1 (".98").
std::u16string NumberText(double value);

/// A byte count with unit B, KB, MB or GB (thresholds of 1000, divisor 1024).
std::u16string FormatSize(double bytes, std::int16_t decimals);

/// Reads a number from the start of a text: blanks, tabs and line feeds are skipped anywhere;
/// sign, digits, "." fraction, E or D exponent; "&H" hexadecimal and "&O" octal; reading stops at
/// the first character that cannot continue; no number gives 0. Too large a value gives
/// infinity rather than an error.
double ReadNumber(std::u16string_view text);

/// A whole number of bytes from a size value: half to even, saturated to the 64-bit range.
std::int64_t SaturatingRound(double value);
