#pragma once

#include <array>
#include <string>
#include <string_view>

// The single-byte code page in which configuration, log and searched contents are written.
// On Linux it is Windows-1252 with all 256 byte values mapped one to one.
namespace platform {

class CodePage;

/// Windows-1252 as these functions map it, the same on every system: the Linux code page.
const CodePage& Windows1252CodePage();

/// Decodes code page bytes to text, one character per byte.
std::u16string DecodeCodePage(std::string_view bytes);

/// Encodes text to the code page, one byte per character; a character without a byte becomes '?'
/// (a raw file-name byte, U+DC80 + byte, becomes that byte).
std::string EncodeCodePage(std::u16string_view text);

/// The one upper-case mapping used by the whole core (commands, modes, file type rules).
char16_t UpperCase(char16_t character);

/// A copy of text with every character upper-cased by UpperCase.
std::u16string UpperCase(std::u16string_view text);

/// Maps every code page byte to its case-folded byte: two bytes fold alike exactly when their
/// characters are equal without regard to case.
const std::array<unsigned char, 256>& CaseFoldTable();

}  // namespace platform
