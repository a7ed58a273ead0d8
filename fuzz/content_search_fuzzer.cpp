// The content search against the plain reference loop. The input chooses up to four terms, the
// persons that carry them, the matching mode, the encodings, the block size and a content that
// may quote the terms in any byte form, varied. The engine is fed the content block by block, the
// reference looks at it whole; any difference in found terms or visited persons aborts.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "content_reference.h"
#include "platform/code_page.h"
#include "search/term_search.h"

namespace {

constexpr std::size_t kMaxContent = std::size_t{80} << 10;
constexpr std::size_t kMaxTermLength = 12;

/// The characters terms are made of: those whose code page byte and case partner the reference
/// knows; '|' separates terms, so a character of three UTF-8 bytes takes its place.
const std::u16string& Alphabet() {
  static const std::u16string alphabet = [] {
    std::u16string text;
    for (char16_t c = 0; c <= 0xFF; ++c)
      if (c < 0x80 || c >= 0xA0) text += c == u'|' ? u'中' : c;
    return text + u"€ŠŒŽšœžŸŁłŐőǄǆȺⱥΣσΩωЖжИиЁёѢѣıİſς";
  }();
  return alphabet;
}

/// Reads the input front to back; past its end every byte is 0.
struct Input {
  std::string_view bytes;
  std::size_t at = 0;
  std::uint8_t Byte() { return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at++]) : 0; }
  bool AtEnd() const { return at >= bytes.size(); }
};

struct Case {
  TermMatching matching = TermMatching::IgnoreCase;
  ByteForms forms;
  std::size_t block = 1;
  std::vector<std::u16string> terms;
  std::vector<std::vector<std::u16string>> persons;  ///< each person's terms in written order
  std::string content;
};

ByteForms FormsFrom(unsigned bits) {
  // The same choice as the encodings of a configuration: at least one; UTF-16 in both orders.
  bits = bits % 7 + 1;
  ByteForms forms;
  if ((bits & 1) != 0) forms = forms.With(ByteForm::Ansi);
  if ((bits & 2) != 0) forms = forms.With(ByteForm::Utf8);
  if ((bits & 4) != 0) forms = forms.With(ByteForm::Utf16Le).With(ByteForm::Utf16Be);
  return forms;
}

/// A term as it may stand in a file: some letters in the other case, or one end cut off.
std::u16string Variant(std::u16string term, unsigned how) {
  const unsigned flip = how & 3;
  for (std::size_t i = 0; i < term.size(); ++i)
    if (flip == 1 || (flip == 2 && i % 2 == 0) || (flip == 3 && i == 0))
      term[i] = ReferencePartner(term[i]);
  if ((how & 4) != 0 && !term.empty()) term.pop_back();
  if ((how & 8) != 0 && !term.empty()) term.erase(0, 1);
  return term;
}

// Content bytes are taken as they are, except 0xFF: 0xFF 0xFF is one 0xFF, 0xFF 0xFE n repeats
// the content so far until n * 256 bytes more stand there, and 0xFF op quotes term op % 4 in byte
// form (op >> 2) % 4, varied by op >> 4.
void ReadContent(Input& input, Case& test) {
  std::string& content = test.content;
  while (!input.AtEnd() && content.size() < kMaxContent) {
    const std::uint8_t byte = input.Byte();
    const std::uint8_t op = byte == 0xFF && !input.AtEnd() ? input.Byte() : 0xFF;
    if (op == 0xFF) {
      content += static_cast<char>(byte);
    } else if (op == 0xFE) {
      const std::size_t more = std::size_t{input.Byte()} * 256;
      const std::size_t end = std::min(kMaxContent, content.size() + more);
      for (std::size_t at = 0; !content.empty() && content.size() < end; ++at)
        content += content[at];
    } else {
      const std::u16string& term = test.terms[op % 4 % test.terms.size()];
      content += ReferenceEncode(Variant(term, op >> 4), op >> 2);
    }
  }
  content.resize(std::min(content.size(), kMaxContent));
}

Case CaseFrom(const std::uint8_t* data, std::size_t size) {
  Input input{{reinterpret_cast<const char*>(data), size}};
  Case test;
  const std::uint8_t flags = input.Byte();
  test.matching = (flags & 1) != 0 ? TermMatching::Exact : TermMatching::IgnoreCase;
  test.forms = FormsFrom((flags >> 1) & 7U);
  // 1 to 64 KiB, small sizes as likely as large ones; the low byte is read first.
  const unsigned low = input.Byte();
  test.block = 1 + ((low | unsigned{input.Byte()} << 8) >> (flags >> 4));

  const std::uint8_t counts = input.Byte();
  const std::size_t termCount = 1 + (counts & 3U);
  const std::size_t personCount = 1 + ((counts >> 2) & 3U);
  std::vector<std::uint8_t> personBytes;
  for (std::size_t person = 0; person < personCount; ++person)
    personBytes.push_back(input.Byte());
  for (std::size_t term = 0; term < termCount; ++term) {
    std::u16string text(input.Byte() % (kMaxTermLength + 1), u' ');
    for (char16_t& c : text)
      c = Alphabet()[input.Byte()];
    test.terms.push_back(std::move(text));
  }
  // A person takes the terms its low four bits choose, in written order from a rotated start;
  // a term may stand twice when two drawn terms are equal.
  for (const std::uint8_t chosen : personBytes) {
    std::vector<std::u16string> own;
    const std::size_t start = (chosen >> 4) % termCount;
    for (std::size_t i = 0; i < termCount; ++i) {
      const std::size_t term = (start + i) % termCount;
      if ((chosen >> term & 1U) != 0) own.push_back(test.terms[term]);
    }
    test.persons.push_back(std::move(own));
  }
  ReadContent(input, test);
  return test;
}

/// The text as the hexadecimal numbers of its characters.
std::string Shown(std::u16string_view text) {
  std::string shown = "[";
  for (const char16_t c : text) {
    char code[8];
    std::snprintf(code, sizeof code, " %04X", static_cast<unsigned>(c));
    shown += code;
  }
  return shown + " ]";
}

[[noreturn]] void Disagree(const Case& test, const std::string& what) {
  std::fprintf(stderr, "content search differs from the reference: %s\n", what.c_str());
  std::fprintf(stderr, "  %s, code page/UTF-8/UTF-16: %d%d%d, block %zu, content %zu bytes\n",
               test.matching == TermMatching::Exact ? "exact" : "ignore case",
               test.forms.Has(ByteForm::Ansi), test.forms.Has(ByteForm::Utf8),
               test.forms.Has(ByteForm::Utf16Le), test.block, test.content.size());
  for (std::size_t person = 0; person < test.persons.size(); ++person) {
    std::string terms;
    for (const std::u16string& term : test.persons[person])
      terms += " " + Shown(term);
    std::fprintf(stderr, "  person %zu:%s\n", person, terms.c_str());
  }
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Case test = CaseFrom(data, size);

  std::vector<Person> persons;
  for (std::size_t person = 0; person < test.persons.size(); ++person) {
    std::u16string list = u"|";
    for (const std::u16string& term : test.persons[person])
      list += term + u"|";
    persons.push_back({u"P" + std::u16string(1, static_cast<char16_t>(u'0' + person)), list});
  }
  const CodePage codePage{[](std::u16string_view text) { return platform::EncodeCodePage(text); },
                          platform::CaseFoldTable()};
  TermSearch search(persons, test.matching, codePage, test.forms);
  search.Begin();
  const std::string_view content = test.content;
  for (std::size_t at = 0; at < content.size(); at += test.block)
    search.Feed(content.substr(at, test.block));
  search.Finish();

  std::map<std::u16string, bool> expected;
  for (const std::u16string& term : test.terms)
    expected.try_emplace(term, ReferenceOccurs(content, term, test.forms, test.matching));
  std::vector<std::int32_t> expectedVisits;
  for (std::int32_t number = 0; number < std::ssize(test.persons); ++number) {
    const std::vector<std::u16string>& own = test.persons[static_cast<std::size_t>(number)];
    const std::vector<std::int32_t>& numbers = search.TermsOf(number);
    if (numbers.size() != own.size()) Disagree(test, "person " + std::to_string(number) + " terms");
    bool hit = own.empty();
    for (std::size_t term = 0; term < own.size(); ++term) {
      const bool occurs = expected.at(own[term]);
      if (search.Occurs(numbers[term]) != occurs)
        Disagree(test, "term " + Shown(own[term]) + (occurs ? " missed" : " found wrongly"));
      hit = hit || occurs;
    }
    if (hit) expectedVisits.push_back(number);
  }
  if (search.PersonsToVisit() != expectedVisits) Disagree(test, "persons to visit");
  return 0;
}
