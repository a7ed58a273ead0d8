#include "platform/windows_win32.h"

#include <array>
#include <unordered_map>

#include "platform/native_path_win32.h"
#include "platform/system_win32.h"

namespace platform::win32 {
namespace {

/// The ANSI code page as tables, taken once from the system's own conversions: every byte's
/// character, every character's byte, and the upper case of every character through the
/// system's case mapping.
class Win32CodePage : public platform::CodePage {
 public:
  Win32CodePage() {
    const UINT codePage = ::GetACP();
    for (int byte = 0; byte < 256; ++byte) {
      const char single = static_cast<char>(byte);
      wchar_t character = 0;
      // A byte the code page leaves unassigned, or a lead byte of a double-byte code page,
      // stands for the character of the same number, so every byte goes back to itself.
      if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &single, 1, &character, 1) != 1) {
        character = static_cast<wchar_t>(byte);
      }
      characters_[byte] = static_cast<char16_t>(character);
    }
    // The lower byte wins where two bytes decode alike, so ASCII stays itself.
    for (int byte = 255; byte >= 0; --byte) {
      bytes_[characters_[byte]] = static_cast<unsigned char>(byte);
    }
    for (int byte = 0; byte < 256; ++byte) {
      const std::u16string upper = UpperCase(std::u16string(1, characters_[byte]));
      const auto found = bytes_.find(upper.front());
      // A character whose upper case the code page cannot write folds to itself.
      fold_[byte] = found != bytes_.end() ? found->second : static_cast<unsigned char>(byte);
    }
  }

  std::u16string Decode(std::string_view bytes) const override {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      text[i] = characters_[static_cast<unsigned char>(bytes[i])];
    }
    return text;
  }

  std::string Encode(std::u16string_view text) const override {
    std::string bytes(text.size(), '?');
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto found = bytes_.find(text[i]);
      if (found != bytes_.end()) bytes[i] = static_cast<char>(found->second);
    }
    return bytes;
  }

  std::u16string UpperCase(std::u16string_view text) const override {
    if (text.empty()) return {};
    std::wstring upper(text.size(), L'\0');
    const std::wstring wide = Wide(text);
    // The invariant mapping: the same on every machine, with no language's special rules.
    const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(),
                                       static_cast<int>(wide.size()), upper.data(),
                                       static_cast<int>(upper.size()), nullptr, nullptr, 0);
    // Upper case keeps the length; a text the call refuses stays as it is.
    if (length != static_cast<int>(wide.size())) return std::u16string(text);
    return Narrow(upper);
  }

  const std::array<unsigned char, 256>& CaseFoldTable() const override { return fold_; }

 private:
  std::array<char16_t, 256> characters_{};
  std::unordered_map<char16_t, unsigned char> bytes_;
  std::array<unsigned char, 256> fold_{};
};

}  // namespace

std::unique_ptr<platform::CodePage> AnsiCodePage() {
  return std::make_unique<Win32CodePage>();
}

}  // namespace platform::win32
