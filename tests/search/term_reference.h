#pragma once

// The plain reference the term scanner is compared with: each term, each byte form, a substring
// test at every position. Its code page and case pairs are written out here, by hand, for the
// characters the tests use, so the reference does not share a table with the code it checks.

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "search/term_forms.h"
#include "search/term_scanner.h"

namespace reference {

/// Windows-1252 for the characters the tests use; others have no byte.
inline const std::map<char16_t, unsigned char>& Cp1252Bytes() {
  static const std::map<char16_t, unsigned char> bytes = [] {
    std::map<char16_t, unsigned char> map;
    for (char16_t c = 0; c < 0x80; ++c)
      map[c] = static_cast<unsigned char>(c);
    for (char16_t c = 0xA0; c <= 0xFF; ++c)
      map[c] = static_cast<unsigned char>(c);
    const std::u16string_view high = u"€ŠŒŽšœžŸ";
    const unsigned char highBytes[] = {0x80, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F};
    for (std::size_t i = 0; i < high.size(); ++i)
      map[high[i]] = highBytes[i];
    return map;
  }();
  return bytes;
}

/// Case pairs (upper, lower) of the characters the tests use; ß, ı, İ, ſ, ς, µ have none.
inline const std::vector<std::pair<char16_t, char16_t>>& CasePairs() {
  static const std::vector<std::pair<char16_t, char16_t>> pairs = [] {
    std::vector<std::pair<char16_t, char16_t>> list;
    for (char16_t c = u'A'; c <= u'Z'; ++c)
      list.emplace_back(c, c + 0x20);
    for (char16_t c = 0xC0; c <= 0xDE; ++c)
      if (c != 0xD7) list.emplace_back(c, c + 0x20);
    const std::u16string_view others = u"ŸÿŠšŒœŽžŁłŐőǄǆȺⱥΣσΩωЖжИиЁёѢѣ";
    for (std::size_t i = 0; i + 1 < others.size(); i += 2)
      list.emplace_back(others[i], others[i + 1]);
    return list;
  }();
  return pairs;
}

inline char16_t Partner(char16_t c) {
  for (const auto& [upper, lower] : CasePairs()) {
    if (c == upper) return lower;
    if (c == lower) return upper;
  }
  return c;
}

/// The code page as the engine is handed it: the encoder and the fold of its case pairs.
inline CodePage TestCodePage() {
  CodePage page;
  page.Encode = [](std::u16string_view text) {
    std::string bytes;
    for (const char16_t c : text) {
      const auto found = Cp1252Bytes().find(c);
      bytes += found == Cp1252Bytes().end() ? '?' : static_cast<char>(found->second);
    }
    return bytes;
  };
  for (std::size_t b = 0; b < 256; ++b)
    page.Fold[b] = static_cast<unsigned char>(b);
  for (const auto& [upper, lower] : CasePairs()) {
    const auto u = Cp1252Bytes().find(upper);
    const auto l = Cp1252Bytes().find(lower);
    if (u != Cp1252Bytes().end() && l != Cp1252Bytes().end()) page.Fold[l->second] = u->second;
  }
  return page;
}

/// The bytes of one character in a form; empty when the form cannot write it.
inline std::string Encode(char16_t c, ByteForm form) {
  std::string bytes;
  const auto add = [&bytes](unsigned value) { bytes += static_cast<char>(value); };
  switch (form) {
    case ByteForm::Ansi:
      if (Cp1252Bytes().contains(c)) add(Cp1252Bytes().at(c));
      break;
    case ByteForm::Utf8:
      if (c < 0x80) {
        add(c);
      } else if (c < 0x800) {
        add(0xC0 | (c >> 6)), add(0x80 | (c & 0x3F));
      } else {
        add(0xE0 | (c >> 12)), add(0x80 | ((c >> 6) & 0x3F)), add(0x80 | (c & 0x3F));
      }
      break;
    case ByteForm::Utf16Le:
      add(c & 0xFF), add(c >> 8);
      break;
    case ByteForm::Utf16Be:
      add(c >> 8), add(c & 0xFF);
      break;
  }
  return bytes;
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

/// Whether term stands in content at `at` in form, character by character.
inline bool StandsAt(std::string_view content, std::size_t at, std::u16string_view term,
                     ByteForm form, TermMatching matching) {
  if (term.empty()) return true;
  const char16_t c = term[0];
  std::vector<char16_t> equal{c};
  if (matching == TermMatching::IgnoreCase && Partner(c) != c) equal.push_back(Partner(c));
  for (const char16_t candidate : equal) {
    const std::string bytes = Encode(candidate, form);
    if (!bytes.empty() && content.substr(at, bytes.size()) == bytes &&
        StandsAt(content, at + bytes.size(), term.substr(1), form, matching))
      return true;
  }
  return false;
}

/// Whether term occurs in content in one of the enabled forms.
inline bool Occurs(std::string_view content, std::u16string_view term, ByteForms forms,
                   TermMatching matching) {
  if (content.empty()) return false;
  for (const ByteForm form : kForms) {
    if (!forms.Has(form)) continue;
    if (form == ByteForm::Ansi && Encode(term, form).size() != term.size()) continue;
    for (std::size_t at = 0; at < content.size(); ++at) {
      if (StandsAt(content, at, term, form, matching)) return true;
    }
  }
  return false;
}

/// Every term in its forms, as the scanner takes them.
inline std::vector<std::vector<TermForm>> FormsOf(const std::vector<std::u16string>& terms,
                                                  TermMatching matching, ByteForms forms) {
  std::vector<std::vector<TermForm>> result;
  for (const std::u16string& term : terms)
    result.push_back(EncodeTermForms(term, matching, TestCodePage(), forms));
  return result;
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

}  // namespace reference
