#include "search/term_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "search/term_fingerprints.h"
#include "search/term_letter_case.h"
#include "search/term_pattern_set.h"
#include "search/term_reference.h"

namespace {

using reference::TestCodePage;

using reference::FormsOf;
using reference::Found;

/// Random choices for the comparisons with the reference loop.
struct Dice {
  std::mt19937 random;
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(random() % bound); }
  std::u16string Text(const std::u16string& alphabet, std::size_t length) {
    std::u16string result;
    for (std::size_t i = 0; i < length; ++i)
      result += alphabet[Below(alphabet.size())];
    return result;
  }
  ByteForm AnyForm() { return reference::kForms[Below(4)]; }
  /// A term with each letter in a random case, in a random form.
  std::string Written(std::u16string term) {
    for (char16_t& c : term)
      c = Below(2) == 0 ? reference::Partner(c) : c;
    return reference::Encode(term, AnyForm());
  }
};

TEST(TermScannerTest, FindsEveryFormOfATermAndNothingElse) {
  const ByteForms all = ByteForms::All();
  const ByteForms ansi = ByteForms::AnsiOnly();
  const auto ignore = TermMatching::IgnoreCase;
  const auto exact = TermMatching::Exact;
  const auto in = [](std::u16string_view text, ByteForm form) {
    return "<" + reference::Encode(text, form) + ">";
  };
  const struct {
    std::u16string term;
    ByteForms forms;
    TermMatching matching;
    std::string content;
    bool found;
  } cases[] = {
      // clang-format off
      {u"Müller", all, ignore, in(u"MÜLLER", ByteForm::Utf8), true},
      {u"Müller", all, exact, in(u"MÜLLER", ByteForm::Utf8), false},
      {u"Müller", all, exact, in(u"Müller", ByteForm::Utf16Be), true},
      {u"Müller", ansi, ignore, in(u"MÜLLER", ByteForm::Ansi), true},
      {u"Müller", ansi, ignore, in(u"MÜLLER", ByteForm::Utf8), false},
      {u"Müller", {ByteForm::Utf8}, ignore, in(u"MÜLLER", ByteForm::Ansi), false},
      {u"Łukasz", all, ignore, in(u"łUKASZ", ByteForm::Utf16Le), true},
      {u"Łukasz", ansi, ignore, "?ukasz", false},  // no code page form, never "?"
      {u"Łukasz", all, ignore, in(u"šukasz", ByteForm::Utf16Le), false},  // 41 01 is no 61 01
      {u"straße", all, ignore, in(u"STRASSE", ByteForm::Utf8), false},
      {u"Ёжиков", all, ignore, in(u"ЁЖИКОВ", ByteForm::Utf16Be), true},
      {u"Ёжиков", all, ignore, in(u"ЁЖИКОВА", ByteForm::Utf8), true},
      {u"Ёжиков", all, ignore, in(u"ЁЖИКИВ", ByteForm::Utf8), false},  // anchored prefix only
      {u"Σοφία", all, ignore, in(u"ΣΟΦΊΑ", ByteForm::Utf16Le), true},
      {u"Σ", all, ignore, in(u"ς", ByteForm::Utf8), false},  // final sigma has no pair
      {u"Ÿves", all, ignore, in(u"ÿVES", ByteForm::Ansi), true},
      {u"", all, ignore, "x", true},
      {u"", all, ignore, "", false},
      {u"x", all, ignore, "", false},
      // clang-format on
  };
  for (const auto& c : cases) {
    TermScanner scanner(FormsOf({c.term}, c.matching, c.forms),
                        ScanFoldFor(c.matching, TestCodePage(), c.forms));
    scanner.Scan(c.content);
    EXPECT_EQ(scanner.Occurs(0), c.found) << testing::PrintToString(c.content);
  }
}

TEST(TermScannerTest, CasePairsAreOneToOneAndCoverTheLettersOfNames) {
  std::map<char32_t, int> uses;
  for (const auto& [upper, lower] : CasePairs()) {
    EXPECT_EQ(CasePartner(upper), lower);
    EXPECT_EQ(CasePartner(lower), upper);
    ++uses[upper];
    ++uses[lower];
  }
  for (const auto& [character, count] : uses)
    EXPECT_EQ(count, 1) << std::hex << static_cast<unsigned>(character);
  for (const auto& [upper, lower] : reference::CasePairs())
    EXPECT_EQ(CasePartner(upper), lower) << std::hex << static_cast<unsigned>(upper);
  for (const char32_t single : {U'ß', U'ı', U'İ', U'ſ', U'ς', U'µ', U'ǅ', U'1', U'€'})
    EXPECT_EQ(CasePartner(single), single) << std::hex << static_cast<unsigned>(single);
}

// Random terms and contents over a small alphabet of letters with and without case partners,
// written in every form, compared with the reference loop for every way of scanning and for
// contents fed whole and in tiny blocks, so every block boundary position is crossed.
TEST(TermScannerTest, AgreesWithTheReferenceLoop) {
  const std::pair<ScanMethod, std::size_t> methods[] = {
      {ScanMethod::Automatic, TermScanner::kAutomatonEntries},
      {ScanMethod::AnchorBytes, TermScanner::kAutomatonEntries},
      {ScanMethod::PortableAnchorBytes, TermScanner::kAutomatonEntries},
      {ScanMethod::Fingerprints, TermScanner::kAutomatonEntries},
      {ScanMethod::PortableFingerprints, TermScanner::kAutomatonEntries},
      {ScanMethod::Automaton, TermScanner::kAutomatonEntries},
      {ScanMethod::Automaton, 16},
      {ScanMethod::Automaton, 1}};
  const std::u16string alphabets[] = {u"ab", u"aAüÜßx", u"łŁšŠőżЖжИиΣσς ", u"ÿŸıİſǅǄǆȺⱥ€µ",
                                      std::u16string(u"q\0Q", 3)};
  const ByteForms formSets[] = {ByteForms::All(),
                                ByteForms::AnsiOnly(),
                                {ByteForm::Utf8},
                                {ByteForm::Utf16Le, ByteForm::Ansi}};
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
    std::vector<std::string> contents;
    for (int i = 0; i < 3; ++i) {
      std::string content;
      for (std::size_t piece = dice.Below(i == 2 ? 40 : 8); piece > 0; --piece) {
        const std::size_t kind = dice.Below(5);
        if (kind == 0) {
          content += dice.Written(terms[dice.Below(terms.size())]);
        } else if (kind == 1) {
          content += static_cast<char>(dice.Below(256));
        } else {
          content += reference::Encode(dice.Text(alphabet, dice.Below(6)), dice.AnyForm());
        }
      }
      contents.push_back(content);
    }
    const auto forms16 = FormsOf(terms, matching, forms);
    const ByteFold fold = ScanFoldFor(matching, TestCodePage(), forms);
    for (const auto& [method, entries] : methods) {
      TermScanner scanner(forms16, fold, method, entries);
      ++used[scanner.Method()];
      for (const std::string& content : contents) {
        std::vector<bool> expected;
        for (const std::u16string& term : terms)
          expected.push_back(reference::Occurs(content, term, forms, matching));
        for (const std::size_t block : {0, 1, 2, 3, 7}) {
          ASSERT_EQ(Found(scanner, content, block, terms.size()), expected)
              << "round " << round << ", method " << static_cast<int>(method) << ", block " << block
              << ", content " << testing::PrintToString(content);
        }
      }
    }
  }
  // Every way of scanning was really taken, not only asked for.
  for (const ScanMethod method :
       {ScanMethod::AnchorBytes, ScanMethod::PortableAnchorBytes, ScanMethod::PortableFingerprints,
        ScanMethod::Automaton, ScanMethod::NoPatterns})
    EXPECT_GT(used[method], 5) << static_cast<int>(method);
  if (TermFingerprints::VectorTestAvailable()) {
    EXPECT_GT(used[ScanMethod::Fingerprints], 5);
  }
}

// Anchor bytes serve a few patterns whose anchors need few raw bytes that are rare in text; the
// huge-file case (one person in every form) must get them, a common or missing anchor must not.
TEST(TermScannerTest, ChoosesAnchorBytesOnlyWhereTheyAreFewAndRare) {
  const auto ignore = TermMatching::IgnoreCase;
  const auto exact = TermMatching::Exact;
  const auto with = VectorInstructions::Available;
  const auto without = VectorInstructions::Unavailable;
  std::vector<std::u16string> seventeen;
  for (char16_t c = u'a'; c < u'a' + 17; ++c)
    seventeen.push_back(std::u16string(u"Qu") + c);
  const struct {
    std::vector<std::u16string> terms;
    TermMatching matching;
    ByteForms forms;
    ScanMethod requested;
    VectorInstructions vector;
    ScanMethod chosen;
  } cases[] = {
      // clang-format off
      {{u"Zacharias Quellenberg"}, exact, ByteForms::All(), ScanMethod::Automatic, with, ScanMethod::AnchorBytes},
      {{u"Zacharias Quellenberg"}, ignore, ByteForms::All(), ScanMethod::Automatic, with, ScanMethod::AnchorBytes},
      {{u"Zacharias Quellenberg"}, exact, ByteForms::All(), ScanMethod::Automatic, without, ScanMethod::AnchorBytes},
      {{u"Zacharias Quellenberg", u"Quellenberg, Zacharias"}, ignore, ByteForms::All(), ScanMethod::Automatic, with, ScanMethod::AnchorBytes},
      {{u"Quelle", u"Xaver", u"Yvonne"}, ignore, ByteForms::AnsiOnly(), ScanMethod::Automatic, with, ScanMethod::Fingerprints},  // 6 raw bytes
      {{u"Kuhl"}, ignore, ByteForms::AnsiOnly(), ScanMethod::Automatic, with, ScanMethod::Fingerprints},
      {{u"Kuhl"}, ignore, ByteForms::AnsiOnly(), ScanMethod::Automatic, without, ScanMethod::AnchorBytes},
      {{u"aaaa"}, exact, ByteForms::AnsiOnly(), ScanMethod::Automatic, with, ScanMethod::Fingerprints},
      {{u"aaaa"}, exact, ByteForms::AnsiOnly(), ScanMethod::Automatic, without, ScanMethod::Automaton},
      {{u"aaaa"}, exact, ByteForms::AnsiOnly(), ScanMethod::AnchorBytes, with, ScanMethod::AnchorBytes},
      {seventeen, exact, ByteForms::AnsiOnly(), ScanMethod::AnchorBytes, with, ScanMethod::Automaton},
      {{std::u16string(u"\0\0", 2)}, exact, ByteForms::All(), ScanMethod::AnchorBytes, with, ScanMethod::Automaton},
      // clang-format on
  };
  for (const auto& c : cases) {
    const ByteFold fold = ScanFoldFor(c.matching, TestCodePage(), c.forms);
    const PatternSet set = BuildPatternSet(FormsOf(c.terms, c.matching, c.forms), fold);
    EXPECT_EQ(ChooseScanMethod(set.patterns, fold, c.requested, c.vector), c.chosen)
        << testing::PrintToString(c.terms.front()) << ", " << set.patterns.size() << " patterns";
  }
}

// Every place of a term in contents long enough for whole vector steps and a tail, among
// anchor bytes that start no occurrence; the anchor first and last in the term.
TEST(TermScannerTest, AnchorBytesFindATermAtEveryPlace) {
  const std::string filler = "Quell xQ Bergmann q x ";
  for (const std::u16string& term : {std::u16string(u"Quelle"), std::u16string(u"Bergmannx")}) {
    for (const TermMatching matching : {TermMatching::Exact, TermMatching::IgnoreCase}) {
      const auto forms = FormsOf({term}, matching, ByteForms::All());
      const ByteFold fold = ScanFoldFor(matching, TestCodePage(), ByteForms::All());
      for (const ScanMethod method : {ScanMethod::AnchorBytes, ScanMethod::PortableAnchorBytes}) {
        TermScanner scanner(forms, fold, method);
        ASSERT_EQ(scanner.Method(), method);
        for (const ByteForm form : reference::kForms) {
          const std::string written = reference::Encode(term, form);
          for (const std::size_t size : {written.size(), std::size_t{140}}) {
            std::string background;
            while (background.size() < size)
              background += filler;
            background.resize(size);
            EXPECT_EQ(Found(scanner, background, 0, 1), std::vector<bool>{false});
            for (std::size_t at = 0; at + written.size() <= size; ++at) {
              std::string content = background;
              content.replace(at, written.size(), written);
              for (const std::size_t block : {0, 7})
                ASSERT_EQ(Found(scanner, content, block, 1), std::vector<bool>{true})
                    << testing::PrintToString(content) << ", method " << static_cast<int>(method)
                    << ", block " << block;
            }
          }
        }
      }
    }
  }
}

}  // namespace
