#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace extract {

/// SHA-256 of bytes fed piece by piece: the identity of a file's content in the cache of
/// recognised text.
class ContentHash {
 public:
  ContentHash();
  /// Adds the next bytes.
  void Add(std::string_view bytes);
  /// The digest as 64 lower-case hexadecimal digits; the hash is used up.
  std::string HexDigest();

 private:
  void Block(const unsigned char* block);

  std::array<std::uint32_t, 8> state_;
  std::array<unsigned char, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t length_ = 0;
};

/// The SHA-256 of bytes as hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace extract
