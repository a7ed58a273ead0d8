#include <gtest/gtest.h>

#include <random>

#include "search/term_pattern_set.h"
#include "search/term_reference.h"
#include "search/term_scanner.h"

namespace {

using reference::TestCodePage;

using reference::FormsOf;
using reference::Found;

// Case variants whose UTF-8 forms differ in length, found across every block boundary.
TEST(TermScannerEdgeTest, CaseVariantsOfDifferentLengthAcrossBlocks) {
  const struct {
    std::u16string term;
    std::u16string written;
  } cases[] = {
      {u"Ⱥ", u"ⱥ"}, {u"ⱥ", u"Ⱥ"}, {u"xȺy", u"XⱥY"}, {u"ȾOM", u"ⱦom"}, {u"ƀȺ", u"Ƀⱥ"},
  };
  for (const auto& c : cases) {
    const auto forms = FormsOf({c.term}, TermMatching::IgnoreCase, ByteForms::All());
    const ByteFold fold = ScanFoldFor(TermMatching::IgnoreCase, TestCodePage(), ByteForms::All());
    for (const ByteForm form : {ByteForm::Utf8, ByteForm::Utf16Le, ByteForm::Utf16Be}) {
      std::string written;
      for (const char16_t ch : c.written)
        written += reference::Encode(ch, form);
      for (const std::size_t pad : {0, 1, 2, 3, 40, 300}) {
        const std::string content = std::string(pad, '.') + written + std::string(pad, '.');
        for (const ScanMethod method :
             {ScanMethod::Automatic, ScanMethod::Automaton, ScanMethod::PortableFingerprints}) {
          TermScanner scanner(forms, fold, method);
          for (const std::size_t block : {0, 1, 2, 3, 4, 5, 6, 7})
            EXPECT_EQ(Found(scanner, content, block, 1), std::vector<bool>{true})
                << "pad " << pad << " block " << block;
        }
      }
    }
  }
}

// Long random contents (so the interleaved automaton and the vector test run), long terms with
// checks, tight variant limits, and blocks from 1 byte up.
TEST(TermScannerEdgeTest, LongContentsAgreeWithTheReferenceLoop) {
  std::mt19937 random(7);
  const auto below = [&](std::size_t bound) { return static_cast<std::size_t>(random() % bound); };
  const std::u16string alphabets[] = {u"aAüÜŁłȺⱥ", u"ab", u"ЖжИиΣσςsS"};
  const auto text = [&](const std::u16string& alphabet, std::size_t length) {
    std::u16string result;
    for (std::size_t i = 0; i < length; ++i)
      result += alphabet[below(alphabet.size())];
    return result;
  };
  for (int round = 0; round < 24; ++round) {
    const std::u16string& alphabet = alphabets[below(std::size(alphabets))];
    const TermMatching matching = round % 3 == 2 ? TermMatching::Exact : TermMatching::IgnoreCase;
    const ByteForms forms = round % 4 == 3 ? ByteForms::AnsiOnly() : ByteForms::All();
    std::vector<std::u16string> terms;
    for (std::size_t i = 0, count = 1 + below(round % 5 == 0 ? 40 : 4); i < count; ++i)
      terms.push_back(text(alphabet, 1 + below(below(3) == 0 ? 30 : 6)));
    std::string content;
    while (content.size() < 600 + below(3000)) {
      if (below(6) == 0) {
        std::u16string term = terms[below(terms.size())];
        for (char16_t& c : term)
          c = below(2) == 0 ? reference::Partner(c) : c;
        content += reference::Encode(term, reference::kForms[below(4)]);
      } else {
        content += reference::Encode(text(alphabet, 1 + below(4)), reference::kForms[below(4)]);
      }
    }
    std::vector<bool> expected;
    for (const std::u16string& term : terms)
      expected.push_back(reference::Occurs(content, term, forms, matching));
    const auto termForms = FormsOf(terms, matching, forms);
    const ByteFold fold = ScanFoldFor(matching, TestCodePage(), forms);
    const std::pair<ScanMethod, std::size_t> ways[] = {
        {ScanMethod::Automatic, TermScanner::kAutomatonEntries},
        {ScanMethod::Automaton, 40},  // several automata and the long-pattern search
        {ScanMethod::Fingerprints, TermScanner::kAutomatonEntries},
        {ScanMethod::PortableFingerprints, TermScanner::kAutomatonEntries}};
    for (const std::size_t limit : {kVariantLimit, std::size_t{1}}) {
      for (const auto& [method, entries] : ways) {
        TermScanner scanner(terms.size(), BuildPatternSet(termForms, fold, limit), fold, method,
                            entries);
        for (const std::size_t block : {0, 1, 2, 7, 333})
          ASSERT_EQ(Found(scanner, content, block, terms.size()), expected)
              << "round " << round << " limit " << limit << " method " << static_cast<int>(method)
              << " entries " << entries << " block " << block;
      }
    }
  }
}

// One occurrence at every offset of a content long enough for the interleaved automaton and the
// vector test, so every split point and the last positions before the end are crossed.
TEST(TermScannerEdgeTest, AnOccurrenceIsFoundAtEveryOffset) {
  const std::vector<std::u16string> terms = {u"Zebrafink", u"Qu"};
  const auto forms = FormsOf(terms, TermMatching::IgnoreCase, ByteForms::All());
  const ByteFold fold = ScanFoldFor(TermMatching::IgnoreCase, TestCodePage(), ByteForms::All());
  const std::string written = reference::Encode(u"ZEBRAFINK", ByteForm::Utf16Be);
  for (const ScanMethod method :
       {ScanMethod::Automaton, ScanMethod::Fingerprints, ScanMethod::PortableFingerprints}) {
    TermScanner scanner(forms, fold, method);
    for (const std::size_t size : {written.size(), std::size_t{300}, std::size_t{701}}) {
      for (std::size_t at = 0; at + written.size() <= size; ++at) {
        std::string content(size, '.');
        content.replace(at, written.size(), written);
        ASSERT_EQ(Found(scanner, content, 0, 2), (std::vector<bool>{true, false}))
            << "method " << static_cast<int>(method) << " size " << size << " at " << at;
      }
    }
  }
}

}  // namespace
