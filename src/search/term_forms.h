#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "search/term_byte_fold.h"

/// How a term is compared with a content.
enum class TermMatching {
  Exact,       ///< bytes are equal only when their codes are equal
  IgnoreCase,  ///< letters are equal to their other case
};

/// A byte form in which terms are written into files.
enum class ByteForm : std::uint8_t {
  Ansi = 1,     ///< the single-byte code page
  Utf8 = 2,     ///< UTF-8
  Utf16Le = 4,  ///< UTF-16, little-endian
  Utf16Be = 8,  ///< UTF-16, big-endian
};

/// A set of byte forms.
class ByteForms {
 public:
  /// The empty set.
  constexpr ByteForms() = default;
  /// The set of the given forms.
  constexpr ByteForms(std::initializer_list<ByteForm> forms) {
    for (const ByteForm form : forms)
      bits_ |= static_cast<std::uint8_t>(form);
  }
  /// The single-byte code page alone.
  static constexpr ByteForms AnsiOnly() { return {ByteForm::Ansi}; }
  /// Every form: the code page, UTF-8 and both orders of UTF-16.
  static constexpr ByteForms All() {
    return {ByteForm::Ansi, ByteForm::Utf8, ByteForm::Utf16Le, ByteForm::Utf16Be};
  }
  /// Whether the set holds form.
  constexpr bool Has(ByteForm form) const { return (bits_ & static_cast<std::uint8_t>(form)) != 0; }
  /// This set with form added.
  constexpr ByteForms With(ByteForm form) const {
    ByteForms result = *this;
    result.bits_ |= static_cast<std::uint8_t>(form);
    return result;
  }
  constexpr bool operator==(const ByteForms&) const = default;

 private:
  std::uint8_t bits_ = 0;
};

/// What the engine needs of the single-byte code page.
struct CodePage {
  /// Text to bytes, one per character; a character the code page cannot write becomes '?'.
  std::function<std::string(std::u16string_view)> Encode;
  /// Maps every byte to its case-folded byte: bytes that fold alike are equal ignoring case.
  ByteFold Fold{};
};

/// A term written in one byte form, character by character: each unit lists the byte strings
/// that may stand for that character (one string when it compares exactly). No string of a unit
/// is a prefix of another, so a content matches a unit through at most one of them.
using TermForm = std::vector<std::vector<std::string>>;

/// The forms of term in every enabled byte form; the code page form only when the code page can
/// write every character of the term. A term with letters and marks apart has the forms of its
/// composed letters too (first). An empty term has empty forms.
std::vector<TermForm> EncodeTermForms(std::u16string_view term, TermMatching matching,
                                      const CodePage& codePage, ByteForms forms);

/// The fold the forms' patterns are compared through. With the code page alone its own case
/// classes serve; with other forms beside it only ASCII letters fold, since the code page's
/// classes of bytes from 0x80 would join bytes of UTF-8 sequences that are no case partners; the
/// other letters' cases then become variants of the patterns. Exact matching folds nothing.
ByteFold ScanFoldFor(TermMatching matching, const CodePage& codePage, ByteForms forms);
