#pragma once

#include <string>
#include <vector>

namespace extract::detail {

/// Where a glyph is drawn on the page, in points; y grows downwards.
struct GlyphBox {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

/// One glyph as the PDF library read it.
struct PdfGlyph {
  char32_t Code = 0;
  GlyphBox Box;
};

/// A word as the PDF library grouped the glyphs, in reading order.
struct PdfWord {
  std::vector<PdfGlyph> Glyphs;
  double FontSize = 0;
  bool SpaceAfter = false;  ///< the library saw a space after it
};

/// The text a reader sees in a page's words, as UTF-8. A spacing accent drawn over or under a
/// letter (as TeX draws accents, often before the letter and raised above it) becomes that
/// letter's combining mark and leaves no break where it stood; words on one line are set apart
/// by a space where the gap between them is wider than a fraction of the font size, also when
/// the library joined them into one word (letter-spaced lines), and lines end with a line break.
std::string PageText(std::vector<PdfWord> words);

}  // namespace extract::detail
