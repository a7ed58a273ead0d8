#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Field lists: "|a|b|c|" holds the fields "a", "b" and "c"; every field is closed by the
// separator, and a piece after the last separator is never a field. Positions count from 1.

/// Number of closed fields: every separator but one counts (-1 for the empty text).
std::int32_t FieldCount(std::u16string_view list, std::u16string_view separator);

/// Field n (from 1); empty when the list does not start with the separator or has no such field.
std::u16string GetField(std::u16string_view list, std::int32_t n, std::u16string_view separator);

/// Every field of the list in order, as GetField gives them, found in one pass; views into list.
std::vector<std::u16string_view> SplitFields(std::u16string_view list,
                                             std::u16string_view separator);

/// The list without its first field, keeping the leading separator of the rest.
std::u16string FieldsAfterFirst(std::u16string_view list, std::u16string_view separator);
