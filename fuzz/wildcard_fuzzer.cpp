// The wildcard matcher against a plain backtracking glob. The matcher places each literal run at
// its first occurrence only, so it may reject a name the glob accepts ("*.TXT" and "A.TXT.TXT"),
// but whatever it accepts the glob must accept, and some shapes it must always get right.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "shell/main_form.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

/// True when pattern, with "*" for any run and "?" for any one character, covers all of name.
bool Glob(std::u16string_view name, std::u16string_view pattern) {
  // matches[j]: the pattern's first i characters cover the name's first j characters.
  std::vector<char> matches(name.size() + 1, 0);
  matches[0] = 1;
  for (const char16_t symbol : pattern) {
    std::vector<char> next(name.size() + 1, 0);
    for (std::size_t j = 0; j <= name.size(); ++j) {
      if (symbol == u'*') {
        next[j] = matches[j] || (j > 0 && next[j - 1]);
      } else if (j > 0 && matches[j - 1]) {
        next[j] = symbol == u'?' || symbol == name[j - 1];
      }
    }
    matches.swap(next);
  }
  return matches[name.size()] != 0;
}

bool HasWildcard(std::u16string_view text) {
  return text.find_first_of(u"*?") != std::u16string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Name and pattern are split at the first NUL byte.
  const std::string_view bytes = BytesOf(data, size);
  const std::size_t split = bytes.find('\0');
  if (split == std::string_view::npos) return 0;
  const std::u16string name = TextFromBytes(bytes.substr(0, split));
  const std::u16string pattern = TextFromBytes(bytes.substr(split + 1));
  if (name.size() > 512 || pattern.size() > 512) return 0;  // the glob is quadratic

  const bool matched = MainForm::MatchPattern(name, pattern);
  if (matched) Check(Glob(name, pattern));
  // A pattern that starts with its only literal run has one place to put it, so there the
  // first-occurrence scan and the glob agree.
  const std::size_t first = pattern.find_first_not_of(u"*?");
  const std::size_t last = pattern.find_last_not_of(u"*?");
  const bool leadingRunOnly =
      first == std::u16string::npos ||
      (first == 0 && !HasWildcard(std::u16string_view(pattern).substr(0, last + 1)));
  if (leadingRunOnly) Check(matched == Glob(name, pattern));
  Check(MainForm::MatchPattern(name, u"*"));
  if (!HasWildcard(name)) Check(MainForm::MatchPattern(name, name));

  // The literal helpers: the run found starts at the first character that is no wildcard.
  const std::int32_t position = MainForm::FirstLiteralPos(pattern);
  Check(position == (first == std::u16string::npos ? 0 : static_cast<std::int32_t>(first) + 1));
  if (position > 0) {
    const std::int32_t length = MainForm::LiteralLength(pattern, position);
    Check(length >= 1 && !HasWildcard(pattern.substr(first, static_cast<std::size_t>(length))));
    const std::size_t end = first + static_cast<std::size_t>(length);
    Check(end == pattern.size() || pattern[end] == u'*' || pattern[end] == u'?');
  }
  Check(MainForm::LiteralLength(pattern, 0) == 0 &&
        MainForm::LiteralLength(pattern, static_cast<std::int32_t>(pattern.size()) + 1) == 0);
  return 0;
}
