#pragma once

#include <array>
#include <string_view>

/// The signatures of compressed files and archives other than zip. Header only: a build without
/// the extraction library still tells an archive it cannot read from other files.
namespace extract {

namespace signature {

inline bool HasPrefix(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

/// True when text has count characters, all of them from allowed.
inline bool AllOf(std::string_view text, std::string_view allowed, std::size_t count) {
  return text.size() == count && text.find_first_not_of(allowed) == std::string_view::npos;
}

}  // namespace signature

/// True when head, a file's first bytes, starts like a compressed stream (gzip, bzip2, xz, lzma,
/// zstd) or a tar, cpio, 7z or RAR archive.
inline bool LooksLikeArchive(std::string_view head) {
  using namespace std::string_view_literals;
  using signature::AllOf;
  using signature::HasPrefix;
  static constexpr std::array<std::string_view, 8> kSignatures = {
      "\x1F\x8B\x08",  // gzip (deflate)
      "\xFD"
      "7zXZ\0"sv,                // xz
      "\x28\xB5\x2F\xFD",        // zstd
      "7z\xBC\xAF\x27\x1C",      // 7z
      "Rar!\x1A\x07\x00"sv,      // RAR 1.5 to 4
      "Rar!\x1A\x07\x01\x00"sv,  // RAR 5
      "\xC7\x71",                // cpio, old binary (little-endian)
      "\x71\xC7",                // cpio, old binary (big-endian)
  };
  for (const std::string_view signature : kSignatures) {
    if (HasPrefix(head, signature)) return true;
  }
  // cpio in ASCII: the magic and a header of numbers (octal for 070707, hexadecimal for 070701
  // and 070702), which a text starting with such a number lacks.
  if (HasPrefix(head, "070707")) return AllOf(head.substr(6, 70), "01234567", 70);
  if (HasPrefix(head, "070701") || HasPrefix(head, "070702")) {
    return AllOf(head.substr(6, 104), "0123456789abcdefABCDEF", 104);
  }
  // bzip2: "BZh", the block size digit, and the magic of the first block (or of the end).
  if (HasPrefix(head, "BZh") && head.size() >= 10 && head[3] >= '1' && head[3] <= '9' &&
      (head.substr(4, 6) == "\x31\x41\x59\x26\x53\x59" ||
       head.substr(4, 6) == "\x17\x72\x45\x38\x50\x90")) {
    return true;
  }
  // lzma (the format before xz): the usual properties byte and a dictionary of 64 KiB or more.
  if (head.size() >= 13 && head[0] == '\x5D' && head[1] == '\0' && head[2] == '\0') return true;
  // tar: "ustar" where the header keeps its magic (POSIX and GNU alike).
  return head.size() >= 262 && head.substr(257, 5) == "ustar";
}

}  // namespace extract
