#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "search/term_forms.h"

// The plain reference the content search is compared with, built without coverage feedback: the
// fuzzer steers by what the engine does, and the reference's own branches would only dilute that.

/// Whether term occurs in content in one of forms, tried at every position of the whole content.
bool ReferenceOccurs(std::string_view content, std::u16string_view term, ByteForms forms,
                     TermMatching matching);

/// Text in the form numbered form % 4 (code page, UTF-8, UTF-16 LE, BE); characters the form
/// cannot write are left out.
std::string ReferenceEncode(std::u16string_view text, std::size_t form);

/// The other case of character; itself when it has none.
char16_t ReferencePartner(char16_t character);
