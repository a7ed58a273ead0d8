#pragma once

#include <array>
#include <cstddef>
#include <string_view>

/// Maps every byte to the byte it is compared as; bytes that map alike are equal.
using ByteFold = std::array<unsigned char, 256>;

/// Every byte stands for itself.
const ByteFold& IdentityFold();

/// ASCII letters fold to upper case; every other byte stands for itself.
const ByteFold& AsciiFold();

/// True when the folded pattern stands at `at`, whose bytes are folded on the fly.
inline bool FoldedEqual(const ByteFold& fold, std::string_view pattern, const unsigned char* at) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (fold[at[i]] != static_cast<unsigned char>(pattern[i])) return false;
  }
  return true;
}
