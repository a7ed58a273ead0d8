#include "search/term_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "search/term_fingerprints.h"
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
    // The last is often long enough for the automaton to scan parts of it in lockstep.
    std::vector<std::pair<std::string, std::vector<bool>>> contents;
    for (int i = 0; i < 3; ++i) {
      std::string content;
      for (std::size_t piece = dice.Below(i == 2 ? 160 : 8); piece > 0; --piece) {
        const std::size_t kind = dice.Below(5);
        if (kind == 0) {
          content += dice.Written(terms[dice.Below(terms.size())]);
        } else if (kind == 1) {
          content += static_cast<char>(dice.Below(256));
        } else {
          content += reference::Encode(dice.Text(alphabet, dice.Below(6)), dice.AnyForm());
        }
      }
      std::vector<bool> expected;
      for (const std::u16string& term : terms)
        expected.push_back(reference::Occurs(content, term, forms, matching));
      contents.emplace_back(content, expected);
    }
    const auto forms16 = FormsOf(terms, matching, forms);
    const ByteFold fold = ScanFoldFor(matching, TestCodePage(), forms);
    for (const auto& [method, entries] : methods) {
      TermScanner scanner(forms16, fold, method, entries);
      ++used[scanner.Method()];
      for (const auto& [content, expected] : contents) {
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

}  // namespace
