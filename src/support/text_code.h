#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Field lists: "|a|b|c|" holds the fields "a", "b" and "c"; every field is closed by the
// separator, and a piece after the last separator is never a field. Positions count from 1.

/// Text cut to length characters, or padded with the first character of fill.
std::u16string FixLength(std::u16string_view text, std::int32_t length, std::u16string_view fill);

/// True when text, cut or padded with blanks to the prefix's length, equals prefix.
bool StartsWith(std::u16string_view text, std::u16string_view prefix);

/// Number of non-overlapping occurrences of find in text, scanning from the left.
std::int32_t CountOf(std::u16string_view text, std::u16string_view find);

/// Number of closed fields: every separator but one counts (-1 for the empty text).
std::int32_t FieldCount(std::u16string_view list, std::u16string_view separator);

/// Field n (from 1); empty when the list does not start with the separator or has no such field.
std::u16string GetField(std::u16string_view list, std::int32_t n, std::u16string_view separator);

/// Every field of the list in order, as GetField gives them, found in one pass; views into list.
std::vector<std::u16string_view> SplitFields(std::u16string_view list,
                                             std::u16string_view separator);

/// The list without its first field, keeping the leading separator of the rest.
std::u16string FieldsAfterFirst(std::u16string_view list, std::u16string_view separator);

/// The list (the empty text taken as the separator) followed by field and the separator.
std::u16string AppendField(std::u16string_view list, std::u16string_view field,
                           std::u16string_view separator);

/// Text up to, not including, its first NUL character.
std::u16string CutAtNull(std::u16string_view text);

/// Last component of a path, "/" and "\" alike, separators at either end removed.
std::u16string FileNameOf(std::u16string_view path);
