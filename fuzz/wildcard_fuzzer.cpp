// The wildcard matcher against a backtracking glob: the matcher places each literal run at its
// first occurrence only ("*.TXT" rejects "A.TXT.TXT"), so whatever it accepts the glob accepts,
// and where all literals stand before the first wildcard, which leaves one place, they agree.
#include <cstdlib>
#include <vector>

#include "collect/wildcard.h"
#include "fuzz_input.h"

namespace {

/// True when pattern, with "*" for any run and "?" for any one character, covers all of name.
bool Glob(std::u16string_view name, std::u16string_view pattern) {
  std::vector<bool> covered(name.size() + 1, false);  // the name's first j by the pattern so far
  covered[0] = true;
  for (const char16_t symbol : pattern) {
    std::vector<bool> next(name.size() + 1, false);
    for (std::size_t j = 0; j <= name.size(); ++j)
      next[j] = symbol == u'*'
                    ? covered[j] || (j > 0 && next[j - 1])
                    : j > 0 && covered[j - 1] && (symbol == u'?' || symbol == name[j - 1]);
    covered.swap(next);
  }
  return covered[name.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Name and pattern are split at the first NUL byte; the glob is quadratic, so both stay short.
  const std::string_view bytes = BytesOf(data, size);
  const std::size_t split = bytes.find('\0');
  if (split == std::string_view::npos || size > 1024) return 0;
  const std::u16string name = TextFromBytes(bytes.substr(0, split));
  const std::u16string pattern = TextFromBytes(bytes.substr(split + 1));
  const bool matched = MatchPattern(name, pattern), globbed = Glob(name, pattern);
  const bool oneChoice =
      pattern.find_first_not_of(u"*?", pattern.find_first_of(u"*?")) == pattern.npos;
  if ((matched && !globbed) || (oneChoice && matched != globbed)) std::abort();
  return 0;
}
