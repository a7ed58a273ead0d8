#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A person's hits: a field list "|1|A|1A|" of file numbers in upper-case hexadecimal. Written
// by the search, read by the detail view and the report.

/// A file number as a hit field: upper-case hexadecimal, no prefix, no leading zeros.
std::u16string HexText(std::int32_t number);

/// A hit field read back as an unsigned hexadecimal number ("1A" is 26, lower case too); stops
/// at the first character that is no digit, and saturates rather than wrapping.
std::uint64_t HexValue(std::u16string_view field);

/// Appends a file number to a hit list, starting the list when it is empty.
void AppendHit(std::u16string& hits, std::int32_t fileNumber);

/// Number of hits in a hit list; never negative.
std::int32_t HitCount(std::u16string_view hits);

/// File number of hit k (counted from 1) of a hit list.
std::uint64_t HitFile(std::u16string_view hits, std::int32_t k);

/// The file numbers of all hits in order, read in one pass; a value beyond the 32-bit range
/// becomes the largest 32-bit number.
std::vector<std::int32_t> HitFiles(std::u16string_view hits);
