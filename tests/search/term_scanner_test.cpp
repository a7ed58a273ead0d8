#include "search/term_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "search/term_fingerprints.h"
#include "search/term_reference.h"

namespace {

/// Random choices for the comparisons with the reference loop.
struct Dice {
  std::mt19937 random;
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(random() % bound); }
  std::u16string Text(const std::u16string& alphabet, std::size_t length) {
    std::u16string result;
    while (result.size() < length)
      result += alphabet[Below(alphabet.size())];
    return result;
  }
  /// Text with each letter in a random case, in a random form.
  std::string Written(std::u16string text) {
    for (char16_t& c : text)
      c = Below(2) == 0 ? reference::Partner(c) : c;
    return reference::Encode(text, reference::kForms[Below(4)]);
  }
};

// Random terms and contents over a small alphabet of letters with and without case partners,
// written in every form, compared with the reference loop for every way of scanning and for
// contents fed whole and in tiny blocks, so every block boundary position is crossed.
TEST(TermScannerTest, AgreesWithTheReferenceLoop) {
  using enum ScanMethod;
  using enum ByteForm;
  std::vector<std::pair<ScanMethod, std::size_t>> methods{{Automaton, 16}, {Automaton, 1}};
  for (const ScanMethod method :
       {Automatic, AnchorBytes, PortableAnchorBytes, Fingerprints, PortableFingerprints, Automaton})
    methods.emplace_back(method, TermScanner::kAutomatonEntries);
  const std::u16string alphabets[] = {u"ab", u"aAüÜßx", u"łŁšŠőżЖжИиΣσς ", u"ÿŸıİſǅǄǆȺⱥ€µ",
                                      std::u16string(u"q\0Q", 3)};
  const ByteForms formSets[] = {ByteForms::All(), ByteForms::AnsiOnly(), {Utf8}, {Utf16Le, Ansi}};
  Dice dice{std::mt19937(20261207)};
  std::map<ScanMethod, int> used;
  for (int round = 0; round < 160; ++round) {
    const std::u16string& alphabet = alphabets[dice.Below(std::size(alphabets))];
    const ByteForms forms = formSets[dice.Below(std::size(formSets))];
    const TermMatching matching = round % 2 == 0 ? TermMatching::IgnoreCase : TermMatching::Exact;
    std::vector<std::u16string> terms;
    for (std::size_t i = 0, count = dice.Below(6) == 0 ? 70 : 1 + dice.Below(6); i < count; ++i) {
      const std::size_t kind = dice.Below(8);
      terms.push_back(kind == 0 && !terms.empty() ? terms[dice.Below(terms.size())]
                      : kind == 1                 ? u""
                                  : dice.Text(alphabet, 1 + dice.Below(kind == 2 ? 12 : 5)));
    }
    // Contents mix forms: pieces of text, terms in another case, now and then any byte at all.
    // The last is often long enough for the automaton to scan parts of it in lockstep.
    for (int i = 0; i < 3; ++i) {
      std::string content;
      for (std::size_t piece = dice.Below(i == 2 ? 160 : 8); piece > 0; --piece) {
        const std::size_t kind = dice.Below(5);
        content += kind == 0   ? dice.Written(terms[dice.Below(terms.size())])
                   : kind == 1 ? std::string(1, static_cast<char>(dice.Below(256)))
                               : dice.Written(dice.Text(alphabet, dice.Below(6)));
      }
      std::vector<bool> expected;
      for (const std::u16string& term : terms)
        expected.push_back(reference::Occurs(content, term, forms, matching));
      for (const auto& [method, entries] : methods) {
        TermScanner scanner = ScannerOf(terms, matching, forms, method, entries);
        ++used[scanner.Method()];
        for (const std::size_t block : {0, 1, 2, 3, 7})
          ASSERT_EQ(Found(scanner, content, block, terms.size()), expected)
              << "round " << round << ", method " << static_cast<int>(method) << ", block " << block
              << ", content " << testing::PrintToString(content);
      }
    }
  }
  // Every way of scanning was really taken, not only asked for.
  for (const ScanMethod method : {AnchorBytes, PortableAnchorBytes, PortableFingerprints, Automaton,
                                  NoPatterns, Fingerprints})
    EXPECT_TRUE(used[method] > 5 ||
                (method == Fingerprints && !TermFingerprints::VectorTestAvailable()))
        << static_cast<int>(method);
}

// The vector steps of the anchor-byte search and their tail: a term at every place of contents
// long enough for whole steps and a tail, among anchor bytes that start no occurrence, with the
// anchor first or last in the term, in every form, fed whole and in blocks.
TEST(TermScannerTest, AnchorBytesFindATermAtEveryPlace) {
  std::string filler;
  while (filler.size() < 140)
    filler += "Quell xQ Bergmann q x ";
  for (const std::u16string term : {u"Quelle", u"Bergmannx"}) {
    for (const TermMatching matching : {TermMatching::Exact, TermMatching::IgnoreCase}) {
      for (const ScanMethod method : {ScanMethod::AnchorBytes, ScanMethod::PortableAnchorBytes}) {
        TermScanner scanner = ScannerOf({term}, matching, ByteForms::All(), method);
        ASSERT_EQ(scanner.Method(), method);
        for (const ByteForm form : reference::kForms) {
          const std::string written = reference::Encode(term, form);
          for (const std::size_t size : {written.size(), std::size_t{140}}) {
            const std::string background = filler.substr(0, size);
            EXPECT_EQ(Found(scanner, background, 0, 1), std::vector{false});
            for (std::size_t at = 0; at + written.size() <= size; ++at) {
              const std::string content =
                  std::string(background).replace(at, written.size(), written);
              for (const std::size_t block : {0, 7})
                ASSERT_EQ(Found(scanner, content, block, 1), std::vector{true})
                    << testing::PrintToString(content) << ", method " << static_cast<int>(method);
            }
          }
        }
      }
    }
  }
}

}  // namespace
