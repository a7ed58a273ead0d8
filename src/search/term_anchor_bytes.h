#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search/term_byte_fold.h"
#include "search/term_matcher.h"

/// Where each of a few patterns is anchored: one of its bytes, chosen so that all patterns
/// together need only a handful of raw bytes, rare in typical text, to be looked for.
struct AnchorChoice {
  static constexpr std::size_t kMaxRawBytes = 4;
  std::vector<std::size_t> offsets;  ///< per pattern: where its anchor stands in it
  std::vector<unsigned char> raw;    ///< the raw bytes that fold to some anchor, 1 to kMaxRawBytes
  double rate = 0;                   ///< how often one of them stands in typical text
};

/// Anchors for the patterns (folded by fold, non-empty) whose raw bytes are fewest in typical
/// text, at most kMaxRawBytes of them and never the byte 0; none when no such choice exists.
std::optional<AnchorChoice> ChooseAnchors(const std::vector<std::string>& patterns,
                                          const ByteFold& fold);

/// How wide a step the search for anchor bytes takes.
enum class AnchorSimd {
  WhenAvailable,  ///< 64 bytes at a time where the processor allows, else as Narrow
  Narrow,  ///< 32 bytes at a time where every processor of the kind allows, else one at a time
};

/// Finds a few patterns by looking for their anchors' raw bytes (memchr for one, a vector
/// comparison for two to four) and comparing the patterns anchored there. Fast while the anchor
/// bytes are rare in the content.
class AnchorBytesMatcher final : public TermMatcher {
 public:
  /// At most this many patterns.
  static constexpr std::size_t kMaxPatterns = 16;

  /// Prepares the patterns (folded, non-empty, distinct) anchored as choice says; ids are the
  /// numbers under which their findings are reported.
  AnchorBytesMatcher(const std::vector<std::string>& patterns,
                     const std::vector<std::uint32_t>& ids, const ByteFold& fold,
                     const AnchorChoice& choice, AnchorSimd simd);

  /// Reports the occurrences of patterns not yet resolved; stops once every term is found.
  void Scan(const unsigned char* data, std::size_t size, MatchSink& sink) override;

 private:
  struct Entry {
    std::uint32_t pattern;  ///< index into patterns_
    std::uint32_t offset;   ///< where the anchor stands in the pattern
  };
  enum class Width { Avx2, Sse2, Byte };

  bool Check(const unsigned char* data, std::size_t size, std::size_t position, MatchSink& sink);
  std::size_t NextCandidates(const unsigned char* data, std::size_t from, std::size_t end,
                             std::uint64_t& bits) const;

  std::vector<std::string> patterns_;
  std::vector<std::uint32_t> ids_;
  const ByteFold* fold_;
  std::vector<unsigned char> raw_;
  std::array<unsigned char, 4> raw4_{};  ///< raw_, the last one repeated to fill four
  Width width_ = Width::Byte;
  std::vector<Entry> entries_;                 ///< grouped by the folded anchor byte
  std::array<std::uint8_t, 256> group_{};      ///< per raw byte: its group, or kNoGroup
  std::array<std::uint32_t, 5> groupStart_{};  ///< group g: entries [g], [g + 1])
  /// Per group and raw byte: whether that byte may follow the anchor in some pattern of the group.
  std::array<std::array<std::uint8_t, 256>, 4> follows_{};
  std::size_t firstAnchor_ = 0;   ///< smallest anchor offset
  std::size_t shortestTail_ = 0;  ///< fewest bytes from an anchor to its pattern's end
};
