#include "search/term_forms.h"

#include <algorithm>

#include "search/term_letter_case.h"
#include "support/compose_text.h"

namespace {

// The code points of text; a lone surrogate stands for itself.
std::vector<char32_t> CodePoints(std::u16string_view text) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      points.push_back(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      points.push_back(unit);
    }
  }
  return points;
}

std::string Utf8(char32_t point) {
  std::string bytes;
  const auto add = [&bytes](char32_t value) { bytes += static_cast<char>(value); };
  if (point < 0x80) {
    add(point);
  } else if (point < 0x800) {
    add(0xC0 | (point >> 6));
    add(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    add(0xE0 | (point >> 12));
    add(0x80 | ((point >> 6) & 0x3F));
    add(0x80 | (point & 0x3F));
  } else {
    add(0xF0 | (point >> 18));
    add(0x80 | ((point >> 12) & 0x3F));
    add(0x80 | ((point >> 6) & 0x3F));
    add(0x80 | (point & 0x3F));
  }
  return bytes;
}

std::string Utf16(char32_t point, ByteForm order) {
  std::u16string units;
  if (point >= 0x10000) {
    units += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
    units += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
  } else {
    units += static_cast<char16_t>(point);
  }
  std::string bytes;
  for (const char16_t unit : units) {
    const auto low = static_cast<char>(unit & 0xFF);
    const auto high = static_cast<char>(unit >> 8);
    bytes += order == ByteForm::Utf16Le ? low : high;
    bytes += order == ByteForm::Utf16Le ? high : low;
  }
  return bytes;
}

// The characters a character equals: itself, and its case partner when case is ignored.
std::vector<char32_t> Equals(char32_t point, TermMatching matching) {
  const char32_t partner = matching == TermMatching::IgnoreCase ? CasePartner(point) : point;
  return partner == point ? std::vector<char32_t>{point} : std::vector<char32_t>{point, partner};
}

TermForm Unicode(const std::vector<char32_t>& points, TermMatching matching, ByteForm form) {
  TermForm units;
  for (const char32_t point : points) {
    std::vector<std::string> alternatives;
    for (const char32_t equal : Equals(point, matching))
      alternatives.push_back(form == ByteForm::Utf8 ? Utf8(equal) : Utf16(equal, form));
    units.push_back(std::move(alternatives));
  }
  return units;
}

// In the code page form a byte equals every byte that folds alike.
bool Ansi(std::u16string_view term, TermMatching matching, const CodePage& codePage,
          TermForm& units) {
  for (const char16_t character : term) {
    const std::string byte = codePage.Encode(std::u16string_view(&character, 1));
    if (byte.size() != 1 || (byte[0] == '?' && character != u'?')) return false;
    std::vector<std::string> alternatives{byte};
    if (matching == TermMatching::IgnoreCase) {
      const unsigned char folded = codePage.Fold[static_cast<unsigned char>(byte[0])];
      for (std::size_t other = 0; other < 256; ++other) {
        if (codePage.Fold[other] == folded && static_cast<char>(other) != byte[0])
          alternatives.emplace_back(1, static_cast<char>(other));
      }
    }
    units.push_back(std::move(alternatives));
  }
  return true;
}

}  // namespace

std::vector<TermForm> EncodeTermForms(std::u16string_view term, TermMatching matching,
                                      const CodePage& codePage, ByteForms forms) {
  std::vector<TermForm> result;
  const auto add = [&](std::u16string_view text) {
    TermForm ansi;
    if (forms.Has(ByteForm::Ansi) && Ansi(text, matching, codePage, ansi))
      result.push_back(std::move(ansi));
    const std::vector<char32_t> points = CodePoints(text);
    for (const ByteForm form : {ByteForm::Utf8, ByteForm::Utf16Le, ByteForm::Utf16Be}) {
      if (forms.Has(form)) result.push_back(Unicode(points, matching, form));
    }
  };
  // Texts inside documents are composed, and most files are written composed: a term typed
  // with combining marks is looked for as the letters they compose to, and as typed.
  const std::u16string composed = ComposeText(term);
  add(composed);
  if (composed != term) add(term);
  return result;
}

ByteFold ScanFoldFor(TermMatching matching, const CodePage& codePage, ByteForms forms) {
  if (matching == TermMatching::Exact) return IdentityFold();
  return forms == ByteForms::AnsiOnly() ? codePage.Fold : AsciiFold();
}
