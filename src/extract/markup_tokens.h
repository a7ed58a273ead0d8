#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace extract::detail {

/// Cuts markup input (XML or HTML) where a parser may be given it in pieces: in text and before a
/// token (a tag, comment, declaration, processing instruction or entity reference) that is not
/// yet complete. A parser handed only complete tokens never holds part of one and scans it anew
/// with every further piece, which makes one long token cost the square of its length in the
/// parsers of Debian 12 (expat 2.5, libxml2 2.9). The bytes of an unfinished token are kept here,
/// up to a limit. Works on ASCII-compatible bytes and on UTF-16 (told by the first bytes).
class MarkupTokens {
 public:
  /// Keeps at most maxToken bytes of one unfinished token.
  explicit MarkupTokens(std::uint64_t maxToken) : maxToken_(maxToken) {}

  /// Takes the next input and sets ready to what may now go to the parser (valid until the next
  /// call). False when the unfinished token grew past the limit; then nothing more is taken.
  bool Add(std::string_view bytes, std::string_view& ready);
  /// What is left at the end of the input: an unfinished token, given to the parser as it is.
  std::string_view Rest() const { return kept_; }

 private:
  enum class State { Text, Open, Tag, Quoted, Comment, Instruction, Section, Reference };
  void Step(unsigned char c, std::size_t unitStart);
  void SetWidth(std::string_view bytes);

  std::uint64_t maxToken_;
  std::string kept_;      // the unfinished token, from its first byte
  std::string released_;  // kept bytes with the start of a block, handed out as ready
  State state_ = State::Text;
  char quote_ = 0;
  std::string head_;  // the first characters after "<", to tell what kind of token it is
  std::string tail_;  // the last characters of a comment or instruction, to see its end
  int width_ = 0;     // 1 for single bytes, 2 for UTF-16; 0 until the first bytes were seen
  bool bigEndian_ = false;
  int unitBytes_ = 0;  // bytes of the current UTF-16 unit seen so far
  unsigned char first_ = 0;
  std::size_t cut_ = 0;  // in the current block: where the unfinished token starts
  bool cutInBlock_ = false;
  bool refused_ = false;
};

}  // namespace extract::detail
