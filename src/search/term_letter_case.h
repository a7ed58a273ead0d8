#pragma once

#include <utility>
#include <vector>

// Simple one-to-one case pairs of the letters of Latin (U+0000-U+024F), Greek and Cyrillic.
// A letter belongs to a pair when its simple upper-case mapping maps back to it through the
// simple lower-case mapping (or the other way round) and no other letter maps to either one;
// so "ß", dotless "ı", the long "ſ", final "ς" and the title-case digraphs have no partner.

/// The other letter of character's case pair (upper for lower and lower for upper); the
/// character itself when it has none.
char32_t CasePartner(char32_t character);

/// Every case pair as (upper, lower), ordered by the upper-case letter.
const std::vector<std::pair<char32_t, char32_t>>& CasePairs();
