#include "content_reference.h"

#include <vector>

#include "search/term_reference.h"

namespace {

/// Per character of a term, the byte strings that may stand for it in one form.
using Alternatives = std::vector<std::vector<std::string>>;

Alternatives AlternativesOf(std::u16string_view term, ByteForm form, TermMatching matching) {
  Alternatives alternatives;
  for (const char16_t c : term) {
    std::vector<std::string> own;
    const std::string exact = reference::Encode(c, form);
    if (!exact.empty()) own.push_back(exact);
    const char16_t partner = reference::Partner(c);
    if (matching == TermMatching::IgnoreCase && partner != c) {
      const std::string other = reference::Encode(partner, form);
      if (!other.empty()) own.push_back(other);
    }
    alternatives.push_back(std::move(own));
  }
  return alternatives;
}

bool StandsAt(std::string_view content, std::size_t at, const Alternatives& term,
              std::size_t index) {
  if (index == term.size()) return true;
  for (const std::string& bytes : term[index]) {
    if (content.substr(at, bytes.size()) == bytes &&
        StandsAt(content, at + bytes.size(), term, index + 1))
      return true;
  }
  return false;
}

}  // namespace

// The loop of reference::Occurs with each character's byte strings worked out once.
bool ReferenceOccurs(std::string_view content, std::u16string_view term, ByteForms forms,
                     TermMatching matching) {
  if (content.empty()) return false;
  for (const ByteForm form : reference::kForms) {
    if (!forms.Has(form)) continue;
    if (form == ByteForm::Ansi && reference::Encode(term, form).size() != term.size()) continue;
    const Alternatives alternatives = AlternativesOf(term, form, matching);
    for (std::size_t at = 0; at < content.size(); ++at) {
      if (StandsAt(content, at, alternatives, 0)) return true;
    }
  }
  return false;
}

std::string ReferenceEncode(std::u16string_view text, std::size_t form) {
  return reference::Encode(text, reference::kForms[form % 4]);
}

char16_t ReferencePartner(char16_t character) {
  return reference::Partner(character);
}
