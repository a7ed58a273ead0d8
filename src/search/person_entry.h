#pragma once

#include <string>

/// One person to look for.
struct PersonEntry {
  std::u16string Name;   ///< as written in the NAME line; unique, compared exactly
  std::u16string Terms;  ///< field list of search terms, at least "|"
  std::u16string Hits;   ///< field list of file numbers in upper-case hexadecimal, "|" at first
};
