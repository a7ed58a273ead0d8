#include "search/term_automaton.h"

#include <gtest/gtest.h>

#include <random>

#include "search/term_reference.h"
#include "search/term_scanner.h"

namespace {

using reference::FormsOf;
using reference::Found;
using reference::TestCodePage;

// Many terms that share a few prefixes make states with many children (searched by halving
// where they have no dense row) and long chains below them. Contents long enough for the
// interleaved scan put the parts in states without dense rows at different bytes, so they leave
// and rejoin the lockstep apart. Dense rows range from the root's alone to the whole automaton.
TEST(TermAutomatonTest, StatesWithoutDenseRowsAgreeWithTheReferenceLoop) {
  std::mt19937 random(20261207);
  const auto below = [&](std::size_t bound) { return static_cast<std::size_t>(random() % bound); };
  const std::u16string alphabet(u"abcdefghijkAüÜšŠ\0 ", 19);
  const auto text = [&](std::size_t length, std::size_t letters) {
    std::u16string result;
    for (std::size_t i = 0; i < length; ++i)
      result += alphabet[below(letters)];
    return result;
  };
  const std::u16string prefixes[] = {u"ab", u"bü", u"Šk"};
  for (int round = 0; round < 6; ++round) {
    const TermMatching matching = round % 2 == 0 ? TermMatching::IgnoreCase : TermMatching::Exact;
    std::vector<std::u16string> terms;
    for (int i = 0; i < 60; ++i) {
      terms.push_back(below(4) == 0 ? text(1 + below(3), alphabet.size() - 1)
                                    : prefixes[below(3)] + text(below(7), alphabet.size() - 1));
    }
    std::vector<std::string> contents;
    for (int i = 0; i < 3; ++i) {
      std::string content;
      while (content.size() < 400) {
        const std::size_t kind = below(4);
        const ByteForm form = reference::kForms[below(4)];
        if (kind == 0) {
          std::u16string term = terms[below(terms.size())];
          for (char16_t& c : term)
            c = below(2) == 0 ? reference::Partner(c) : c;
          content += reference::Encode(term, form);
        } else if (kind == 1) {
          content += static_cast<char>(below(256));
        } else {
          content += reference::Encode(prefixes[below(3)] + text(below(4), alphabet.size()), form);
        }
      }
      contents.push_back(content);
    }
    const auto forms = FormsOf(terms, matching, ByteForms::All());
    const ByteFold fold = ScanFoldFor(matching, TestCodePage(), ByteForms::All());
    std::vector<std::vector<bool>> expected;
    for (const std::string& content : contents) {
      expected.emplace_back();
      for (const std::u16string& term : terms)
        expected.back().push_back(reference::Occurs(content, term, ByteForms::All(), matching));
    }
    for (const std::size_t entries :
         {std::size_t{1}, std::size_t{300}, std::size_t{5000}, TermScanner::kAutomatonEntries}) {
      TermScanner scanner(forms, fold, ScanMethod::Automaton, entries);
      for (std::size_t i = 0; i < contents.size(); ++i) {
        for (const std::size_t block : {0, 3, 290}) {
          ASSERT_EQ(Found(scanner, contents[i], block, terms.size()), expected[i])
              << "round " << round << " entries " << entries << " block " << block << " content "
              << i;
        }
      }
    }
  }
}

// The shape the scan relies on: children ordered and consecutive, every state reached once, and
// the dense part bounded as asked.
TEST(TermAutomatonTest, CountsStatesOnceAndBoundsTheDenseRows) {
  const struct {
    std::vector<std::string> patterns;
    std::size_t entries;
    std::size_t states;
    std::size_t dense;
  } cases[] = {
      {{"a"}, 1, 2, 1},
      {{"abc", "abd", "b"}, 1000, 6, 6},
      {{"abc", "abd", "b"}, 10, 6, 2},  // rows of 4 classes and the one for other bytes
      {{"abc", "abd", "b"}, 1, 6, 1},
      {{"x", "xy", "xyz", "y"}, 0, 5, 1},
  };
  for (const auto& c : cases) {
    PatternList patterns;
    for (const std::string& pattern : c.patterns)
      patterns.push_back(pattern);
    const TermAutomaton automaton(patterns, IdentityFold(), c.entries);
    EXPECT_EQ(automaton.StateCount(), c.states) << c.patterns[0];
    EXPECT_EQ(automaton.DenseStateCount(), c.dense) << c.patterns[0];
  }
}

}  // namespace
