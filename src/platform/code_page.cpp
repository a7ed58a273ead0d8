#include <unordered_map>

#include "platform/code_page.h"

#include "platform/system.h"

namespace platform {
namespace {

// Windows-1252; the five bytes it leaves unassigned map to the C1 control with the same value,
// so every byte value has a character and back.
constexpr char16_t kHighHalf[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ByteToChar(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighHalf[byte - 0x80] : static_cast<char16_t>(byte);
}

const std::unordered_map<char16_t, unsigned char>& HighHalfBytes() {
  static const auto* const bytes = [] {
    auto* map = new std::unordered_map<char16_t, unsigned char>();
    for (int byte = 0x80; byte < 0xA0; ++byte) {
      (*map)[kHighHalf[byte - 0x80]] = static_cast<unsigned char>(byte);
    }
    return map;
  }();
  return *bytes;
}

bool CharToByte(char16_t character, unsigned char& byte) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
    byte = static_cast<unsigned char>(character);
    return true;
  }
  // A file name byte that was not valid UTF-8 is kept as U+DC80 + byte; it goes back as itself.
  if (character >= 0xDC80 && character <= 0xDCFF) {
    byte = static_cast<unsigned char>(character - 0xDC80 + 0x80);
    return true;
  }
  const auto& map = HighHalfBytes();
  const auto found = map.find(character);
  if (found == map.end()) return false;
  byte = found->second;
  return true;
}

}  // namespace

std::u16string DecodeCodePage(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text[i] = ByteToChar(static_cast<unsigned char>(bytes[i]));
  }
  return text;
}

std::string EncodeCodePage(std::u16string_view text) {
  std::string bytes(text.size(), '?');
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char byte = 0;
    if (CharToByte(text[i], byte)) bytes[i] = static_cast<char>(byte);
  }
  return bytes;
}

char16_t UpperCase(char16_t character) {
  if (character >= u'a' && character <= u'z') return character - 0x20;
  // Latin-1 lower-case letters à..þ except the division sign; ß and µ have no single upper case.
  if (character >= 0xE0 && character <= 0xFE && character != 0xF7) return character - 0x20;
  switch (character) {
    case 0x00FF:
      return 0x0178;  // ÿ -> Ÿ
    case 0x0161:
      return 0x0160;  // š -> Š
    case 0x0153:
      return 0x0152;  // œ -> Œ
    case 0x017E:
      return 0x017D;  // ž -> Ž
    default:
      return character;
  }
}

std::u16string UpperCase(std::u16string_view text) {
  std::u16string result(text);
  for (char16_t& character : result)
    character = UpperCase(character);
  return result;
}

const std::array<unsigned char, 256>& CaseFoldTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> folded{};
    for (int byte = 0; byte < 256; ++byte) {
      unsigned char upper = static_cast<unsigned char>(byte);
      if (!CharToByte(UpperCase(ByteToChar(static_cast<unsigned char>(byte))), upper)) {
        upper = static_cast<unsigned char>(byte);
      }
      folded[byte] = upper;
    }
    return folded;
  }();
  return table;
}

namespace {

/// The free functions above as a CodePage.
class FixedCodePage : public CodePage {
 public:
  std::u16string Decode(std::string_view bytes) const override { return DecodeCodePage(bytes); }
  std::string Encode(std::u16string_view text) const override { return EncodeCodePage(text); }
  std::u16string UpperCase(std::u16string_view text) const override {
    return platform::UpperCase(text);
  }
  const std::array<unsigned char, 256>& CaseFoldTable() const override {
    return platform::CaseFoldTable();
  }
};

}  // namespace

const CodePage& Windows1252CodePage() {
  static const FixedCodePage codePage;
  return codePage;
}

}  // namespace platform
