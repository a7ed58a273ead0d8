#include "search/term_byte_fold.h"

const ByteFold& IdentityFold() {
  static const ByteFold identity = [] {
    ByteFold bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<unsigned char>(i);
    return bytes;
  }();
  return identity;
}

const ByteFold& AsciiFold() {
  static const ByteFold ascii = [] {
    ByteFold bytes = IdentityFold();
    for (unsigned char letter = 'a'; letter <= 'z'; ++letter)
      bytes[letter] = static_cast<unsigned char>(letter - 'a' + 'A');
    return bytes;
  }();
  return ascii;
}
