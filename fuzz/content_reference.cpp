#include "content_reference.h"

#include "search/term_reference.h"

bool ReferenceOccurs(std::string_view content, std::u16string_view term, ByteForms forms,
                     TermMatching matching) {
  return reference::Occurs(content, term, forms, matching);
}

std::string ReferenceEncode(std::u16string_view text, std::size_t form) {
  return reference::Encode(text, reference::kForms[form % 4]);
}

char16_t ReferencePartner(char16_t character) {
  return reference::Partner(character);
}
