#include "support/compose_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// UTF-8 text with its letters and marks apart, and composed.
const struct {
  const char* name;
  std::string apart, composed;
} kCases[] = {
    {"acute after e", "Pe\xCC\x81ter", "P\xC3\xA9ter"},
    {"caron after r and Z", "Tesar\xCC\x8C Z\xCC\x8Clajpah", "Tesa\xC5\x99 \xC5\xBDlajpah"},
    {"two marks in the wrong order are ordered first", "e\xCC\x82\xCC\xA3", "\xE1\xBB\x87"},
    {"a second mark of the same class stays apart", "a\xCC\x81\xCC\x81", "\xC3\xA1\xCC\x81"},
    {"Cyrillic short i", "\xD0\x98\xCC\x86", "\xD0\x99"},
    {"Greek omega with three marks", "\xCF\x89\xCC\x93\xCC\x81\xCD\x85", "\xE1\xBE\xA4"},
    {"a mark with no letter before it",
     "\xCC\x81"
     "a",
     "\xCC\x81"
     "a"},
    {"a letter the mark does not compose with", "q\xCC\x81", "q\xCC\x81"},
    {"bytes that are no UTF-8 pass unchanged",
     "\xFF"
     "e\xCC\x81\xC3",
     "\xFF\xC3\xA9\xC3"},
    {"composed text unchanged", "M\xC3\xBCller \xE2\x82\xAC", "M\xC3\xBCller \xE2\x82\xAC"},
};

std::u16string Utf16(std::string_view utf8) {
  std::u16string out;
  for (std::size_t at = 0; at < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
    char32_t code = length == 1 ? lead : lead & (length == 2 ? 0x1Fu : 0x0Fu);
    for (std::size_t i = 1; i < length; ++i)
      code = (code << 6) | (static_cast<unsigned char>(utf8[at + i]) & 0x3Fu);
    out.push_back(static_cast<char16_t>(code));
    at += length;
  }
  return out;
}

// Cut anywhere, even inside a sequence or between a letter and its mark, the text composes as
// it does whole.
TEST(ComposeTextTest, LettersAndMarksComposeInPiecesOfAnySize) {
  for (const auto& c : kCases) {
    for (std::size_t piece = 1; piece <= c.apart.size(); ++piece) {
      Utf8Composer composer;
      std::string out;
      for (std::size_t at = 0; at < c.apart.size(); at += piece)
        composer.Add(std::string_view(c.apart).substr(at, piece), out);
      composer.Flush(out);
      EXPECT_EQ(out, c.composed) << c.name << " in pieces of " << piece;
    }
  }
}

TEST(ComposeTextTest, TermsComposeAlike) {
  for (const auto& c : kCases) {
    if (c.apart.find('\xFF') != std::string::npos) continue;  // terms are UTF-16
    EXPECT_EQ(ComposeText(Utf16(c.apart)), Utf16(c.composed)) << c.name;
  }
}

}  // namespace
