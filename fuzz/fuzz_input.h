#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Turning a fuzzer's bytes into the 16-bit text the core works on.

/// Each byte becomes the character of the same value, except that 0xFE takes the next two
/// bytes as one character (high byte first), so any 16-bit character can appear.
inline std::u16string TextFromBytes(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte == 0xFE && at + 2 < bytes.size()) {
      const auto high = static_cast<unsigned char>(bytes[at + 1]);
      const auto low = static_cast<unsigned char>(bytes[at + 2]);
      text.push_back(static_cast<char16_t>(high << 8 | low));
      at += 2;
    } else {
      text.push_back(static_cast<char16_t>(byte));
    }
  }
  return text;
}

/// The fuzzer's input as a string view.
inline std::string_view BytesOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}
