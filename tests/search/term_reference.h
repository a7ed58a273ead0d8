#pragma once

// The plain reference the term scanner is compared with: each term, each byte form, a substring
// test at every position. Its code page bytes and case pairs are written out here, by hand, for
// the characters the tests use, so the reference does not share a table with the code it checks.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "search/term_forms.h"
#include "search/term_scanner.h"

namespace reference {

/// The Windows-1252 byte of c for the characters the tests use; -1 for the others.
inline int Cp1252(char16_t c) {
  const std::u16string_view high = u"€ŠŒŽšœžŸ";
  const unsigned char highBytes[] = {0x80, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F};
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  const std::size_t at = high.find(c);
  return at == high.npos ? -1 : highBytes[at];
}

/// The other case of c for the characters the tests use; ß, ı, İ, ſ, ς, µ have none.
inline char16_t Partner(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  const std::u16string_view pairs = u"ŸÿŠšŒœŽžŁłŐőǄǆȺⱥΣσΩωЖжИиЁёѢѣ";
  const std::size_t at = pairs.find(c);
  return at == pairs.npos ? c : pairs[at ^ 1];
}

/// The bytes of one character in a form; empty when the form cannot write it.
inline std::string Encode(char16_t c, ByteForm form) {
  const auto b = [](unsigned value) { return static_cast<char>(value); };
  const unsigned u = c;
  switch (form) {
    case ByteForm::Ansi:
      return Cp1252(c) < 0 ? "" : std::string{b(static_cast<unsigned>(Cp1252(c)))};
    case ByteForm::Utf8:
      if (u < 0x80) return {b(u)};
      if (u < 0x800) return {b(0xC0 | u >> 6), b(0x80 | (u & 0x3F))};
      return {b(0xE0 | u >> 12), b(0x80 | (u >> 6 & 0x3F)), b(0x80 | (u & 0x3F))};
    case ByteForm::Utf16Le:
      return {b(u & 0xFF), b(u >> 8)};
    case ByteForm::Utf16Be:
      return {b(u >> 8), b(u & 0xFF)};
  }
  return "";
}

/// Text in one form (characters it cannot write are left out).
inline std::string Encode(std::u16string_view text, ByteForm form) {
  std::string bytes;
  for (const char16_t c : text)
    bytes += Encode(c, form);
  return bytes;
}

constexpr ByteForm kForms[] = {ByteForm::Ansi, ByteForm::Utf8, ByteForm::Utf16Le,
                               ByteForm::Utf16Be};

/// Per character of a term, the byte strings that may stand for it in one form.
using Alternatives = std::vector<std::vector<std::string>>;

inline bool StandsAt(std::string_view content, std::size_t at, const Alternatives& term,
                     std::size_t index = 0) {
  return index == term.size() || std::ranges::any_of(term[index], [&](const std::string& bytes) {
           return content.substr(at, bytes.size()) == bytes &&
                  StandsAt(content, at + bytes.size(), term, index + 1);
         });
}

/// Whether term occurs in content in one of the enabled forms; a term with a character the code
/// page cannot write has no code page form.
inline bool Occurs(std::string_view content, std::u16string_view term, ByteForms forms,
                   TermMatching matching) {
  for (const ByteForm form : kForms) {
    if (!forms.Has(form) || (form == ByteForm::Ansi && Encode(term, form).size() != term.size()))
      continue;
    Alternatives alternatives;
    for (const char16_t c : term) {
      alternatives.emplace_back(1, Encode(c, form));
      const std::string other = Encode(Partner(c), form);
      if (matching == TermMatching::IgnoreCase && Partner(c) != c && !other.empty())
        alternatives.back().push_back(other);
    }
    for (std::size_t at = 0; at < content.size(); ++at)
      if (StandsAt(content, at, alternatives)) return true;
  }
  return false;
}

}  // namespace reference

/// A scanner of terms in every enabled form, compared as matching says. The engine is handed its
/// own Windows-1252, so the comparisons check the code page's case pairs too.
inline TermScanner ScannerOf(const std::vector<std::u16string>& terms, TermMatching matching,
                             ByteForms forms, ScanMethod method = ScanMethod::Automatic,
                             std::size_t entries = TermScanner::kAutomatonEntries) {
  const CodePage codePage{[](std::u16string_view text) { return platform::EncodeCodePage(text); },
                          platform::CaseFoldTable()};
  std::vector<std::vector<TermForm>> termForms;
  for (const std::u16string& term : terms)
    termForms.push_back(EncodeTermForms(term, matching, codePage, forms));
  return {termForms, ScanFoldFor(matching, codePage, forms), method, entries};
}

// Feeds content in blocks of the given size (0: whole) and lists which terms occur.
inline std::vector<bool> Found(TermScanner& scanner, std::string_view content, std::size_t block,
                               std::size_t termCount) {
  scanner.Begin();
  if (block == 0) block = std::max<std::size_t>(content.size(), 1);
  for (std::size_t at = 0; at < content.size(); at += block)
    scanner.Feed(content.substr(at, block));
  scanner.Finish();
  std::vector<bool> found;
  for (std::size_t term = 0; term < termCount; ++term)
    found.push_back(scanner.Occurs(term));
  return found;
}
