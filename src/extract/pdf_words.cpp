#include "extract/pdf_words.h"

#include <algorithm>
#include <cmath>

#include "extract/charset.h"
#include "support/compose_text.h"

namespace extract::detail {

namespace {

// A gap wider than this share of the font size (beyond the line's letter spacing) is a word
// space; letter kerning stays below it, the narrowest space of a tightly set line (about 0.2 of
// the size) above it.
constexpr double kWordGap = 0.1;
// A gap the library took for a space still needs this share of the font size.
constexpr double kLeastSpace = 0.05;
// How many words before and after a spacing accent are looked at for its letter.
constexpr std::ptrdiff_t kAccentReach = 8;

struct Place {
  std::size_t Word, Glyph;
};

double CentreX(const GlyphBox& box) {
  return (box.Left + box.Right) / 2;
}
double CentreY(const GlyphBox& box) {
  return (box.Top + box.Bottom) / 2;
}
double Height(const GlyphBox& box, double fontSize) {
  return box.Bottom - box.Top > 0 ? box.Bottom - box.Top : fontSize;
}

// Whether the accent stands over or under the letter: its middle within the letter's width (a
// little wider) and its height within a line's height of the letter's.
bool Over(const GlyphBox& accent, const GlyphBox& letter, double fontSize) {
  const double slack = std::max(0.2 * (letter.Right - letter.Left), 0.05 * fontSize);
  const double x = CentreX(accent);
  const double height = Height(letter, fontSize);
  const double y = CentreY(accent);
  return x >= letter.Left - slack && x <= letter.Right + slack && y >= letter.Top - height &&
         y <= letter.Bottom + 0.6 * height;
}

// The letter a spacing accent belongs to: among the glyphs of nearby words, one that composes
// with the accent's mark and that it stands over, the nearest in width.
bool FindLetter(const std::vector<PdfWord>& words, Place accent, char32_t mark, Place& letter) {
  const GlyphBox& box = words[accent.Word].Glyphs[accent.Glyph].Box;
  const auto first = static_cast<std::ptrdiff_t>(accent.Word) - kAccentReach;
  const auto last = static_cast<std::ptrdiff_t>(accent.Word) + kAccentReach;
  double best = HUGE_VAL;
  for (std::ptrdiff_t w = std::max<std::ptrdiff_t>(first, 0);
       w <= last && w < static_cast<std::ptrdiff_t>(words.size()); ++w) {
    const PdfWord& word = words[static_cast<std::size_t>(w)];
    for (std::size_t g = 0; g < word.Glyphs.size(); ++g) {
      const PdfGlyph& glyph = word.Glyphs[g];
      if (ComposePair(glyph.Code, mark) == 0 || !Over(box, glyph.Box, word.FontSize)) continue;
      const double distance = std::fabs(CentreX(box) - CentreX(glyph.Box));
      if (distance < best) {
        best = distance;
        letter = {static_cast<std::size_t>(w), g};
      }
    }
  }
  return best != HUGE_VAL;
}

// A word whose glyphs run down or up the page rather than across it.
bool Upright(const PdfWord& word) {
  if (word.Glyphs.size() < 2) return false;
  const GlyphBox& first = word.Glyphs.front().Box;
  const GlyphBox& last = word.Glyphs.back().Box;
  return std::fabs(CentreY(last) - CentreY(first)) > std::fabs(CentreX(last) - CentreX(first));
}

// Whether next continues the line that ends with previous, to its right.
bool SameLine(const GlyphBox& previous, const GlyphBox& next) {
  const double overlap = std::min(previous.Bottom, next.Bottom) - std::max(previous.Top, next.Top);
  const double lower = std::min(previous.Bottom - previous.Top, next.Bottom - next.Top);
  return overlap >= 0.4 * lower && next.Left >= previous.Left;
}

// The median of the gaps between a word's glyphs: the letter spacing of its line, if any.
double TypicalGap(const std::vector<const PdfGlyph*>& glyphs) {
  std::vector<double> gaps;
  for (std::size_t i = 1; i < glyphs.size(); ++i)
    gaps.push_back(glyphs[i]->Box.Left - glyphs[i - 1]->Box.Right);
  if (gaps.empty()) return 0;
  std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2),
                   gaps.end());
  return std::max(0.0, gaps[gaps.size() / 2]);
}

}  // namespace

std::string PageText(std::vector<PdfWord> words) {
  // Marks taken over from spacing accents, per glyph; an accent taken over is dropped (code 0).
  std::vector<std::vector<std::vector<char32_t>>> marks(words.size());
  for (std::size_t w = 0; w < words.size(); ++w)
    marks[w].resize(words[w].Glyphs.size());
  for (std::size_t w = 0; w < words.size(); ++w) {
    for (std::size_t g = 0; g < words[w].Glyphs.size(); ++g) {
      const char32_t mark = MarkOfSpacingAccent(words[w].Glyphs[g].Code);
      Place letter{};
      if (mark == 0 || !FindLetter(words, {w, g}, mark, letter)) continue;
      marks[letter.Word][letter.Glyph].push_back(mark);
      words[w].Glyphs[g].Code = 0;
    }
  }

  std::string text;
  const PdfGlyph* previous = nullptr;  // the last glyph written, and its word
  const PdfWord* previousWord = nullptr;
  std::vector<const PdfGlyph*> glyphs;
  for (std::size_t w = 0; w < words.size(); ++w) {
    const PdfWord& word = words[w];
    glyphs.clear();
    for (const PdfGlyph& glyph : word.Glyphs) {
      if (glyph.Code != 0) glyphs.push_back(&glyph);
    }
    if (glyphs.empty()) continue;
    const bool upright = Upright(word);
    if (previous != nullptr) {
      if (upright || Upright(*previousWord)) {
        text.push_back(previousWord->SpaceAfter ? ' ' : '\n');
      } else if (!SameLine(previous->Box, glyphs.front()->Box)) {
        text.push_back('\n');
      } else {
        const double gap = glyphs.front()->Box.Left - previous->Box.Right;
        const double size = std::max(previousWord->FontSize, word.FontSize);
        if (gap > kWordGap * size || (previousWord->SpaceAfter && gap > kLeastSpace * size)) {
          text.push_back(' ');
        }
      }
    }
    const double spaced = upright ? HUGE_VAL : kWordGap * word.FontSize + TypicalGap(glyphs);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
      if (i > 0 && glyphs[i]->Box.Left - glyphs[i - 1]->Box.Right > spaced) text.push_back(' ');
      AppendUtf8(glyphs[i]->Code, text);
      const auto index = static_cast<std::size_t>(glyphs[i] - word.Glyphs.data());
      for (const char32_t mark : marks[w][index])
        AppendUtf8(mark, text);
    }
    previous = glyphs.back();
    previousWord = &word;
  }
  if (!text.empty()) text.push_back('\n');
  return text;
}

}  // namespace extract::detail
