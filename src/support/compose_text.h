#pragma once

#include <string>
#include <string_view>
#include <vector>

// Canonical composition (NFC) of Latin, Greek and Cyrillic letters with their combining marks, so
// that "e" followed by U+0301 reads as the one letter "é" that a term is written with. Marks are
// put in canonical order first, as NFC does; characters outside these scripts pass unchanged.

/// The combining class of a mark (230 for most marks above a letter), 0 for everything else.
int CombiningClass(char32_t code);

/// The letter that base and mark compose to, or 0 when they do not compose.
char32_t ComposePair(char32_t base, char32_t mark);

/// The combining mark a spacing accent stands for (U+00B4 ´ gives U+0301), or 0 when code is not
/// one. Only the accents that drawn apart from their letter still mean that letter's accent.
char32_t MarkOfSpacingAccent(char32_t code);

/// The text with every letter and its marks composed.
std::u16string ComposeText(std::u16string_view text);

/// Composes UTF-8 text given piece by piece: a letter is held back until the next piece shows
/// whether marks follow it. Bytes that are not UTF-8 pass unchanged.
class Utf8Composer {
 public:
  /// Appends to out the composed text of everything up to the last letter of piece.
  void Add(std::string_view piece, std::string& out);
  /// Appends what is held back; the next piece starts afresh.
  void Flush(std::string& out);

 private:
  void Take(char32_t code, std::string_view bytes, std::string& out);
  void Emit(std::string& out);

  std::string partial_;          // a sequence cut at the end of the last piece
  std::string starterBytes_;     // the held-back letter as given (also bytes that are no UTF-8)
  char32_t starter_ = 0;         // its code, 0 when it is no letter or nothing is held
  std::vector<char32_t> marks_;  // the marks that followed it
  std::string markBytes_;        // the same marks as given
};
