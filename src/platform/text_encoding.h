#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// The encodings of text: those in which search terms are looked for in files, and those in which
// the program's own files (configuration and log) are read and written on each system. No type
// of any particular operating system appears here.
namespace platform {

class CodePage;

/// An encoding in which search terms are looked for in the files searched.
enum class TextEncoding : std::uint8_t {
  Ansi = 1,   ///< the single-byte code page
  Utf8 = 2,   ///< UTF-8
  Utf16 = 4,  ///< UTF-16 in both byte orders
};

/// A set of encodings.
class TextEncodings {
 public:
  /// The empty set.
  constexpr TextEncodings() = default;
  /// The set of the given encodings.
  constexpr TextEncodings(std::initializer_list<TextEncoding> encodings) {
    for (const TextEncoding encoding : encodings)
      Add(encoding);
  }
  /// Adds one encoding; adding one that is there changes nothing.
  constexpr void Add(TextEncoding encoding) { bits_ |= static_cast<std::uint8_t>(encoding); }
  /// Whether the set holds encoding.
  constexpr bool Has(TextEncoding encoding) const {
    return (bits_ & static_cast<std::uint8_t>(encoding)) != 0;
  }
  /// Whether the set holds none.
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool operator==(const TextEncodings&) const = default;

 private:
  std::uint8_t bits_ = 0;
};

/// How a system writes plain text of its own, and so the program's configuration and log.
enum class TextConvention {
  /// Linux: UTF-8. A configuration that is valid UTF-8 as a whole is read as UTF-8, any other
  /// as the code page; lines end at CR, CR LF or LF; the log is UTF-8; terms are looked for in
  /// the code page, UTF-8 and UTF-16.
  Utf8,
  /// Windows: the ANSI code page. A configuration is read in it, unless it starts with the UTF-8
  /// byte order mark; lines end at CR or CR LF; the log is in the code page; terms are looked
  /// for in the code page alone.
  CodePage,
};

/// The lines of a configuration file's whole content, decoded by the convention, without their
/// line ends; a last line needs no line end, and a content ending in one gives no empty line
/// after it. A leading UTF-8 byte order mark is dropped; when the rest is no valid UTF-8 it is
/// read as the code page.
std::vector<std::u16string> ConfigurationLines(std::string_view content, TextConvention convention,
                                               const CodePage& codePage);

/// One log line as the bytes the convention writes, CR LF not included: UTF-8 (a character that
/// stands for a raw file-name byte as that byte) or the code page.
std::string LogLineBytes(std::u16string_view line, TextConvention convention,
                         const CodePage& codePage);

/// The encodings in which terms are looked for when the configuration names none.
TextEncodings DefaultEncodings(TextConvention convention);

}  // namespace platform
