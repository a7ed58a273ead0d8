#include "search/term_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Terms = std::vector<std::string>;

// The plain loop the scanner must agree with: every term on its own, every start position.
std::vector<bool> Reference(const Terms& terms, const std::string& content, TermMatching matching) {
  const ByteFold& fold = FoldFor(matching);
  const auto same = [&fold](char a, char b) {
    return fold[static_cast<unsigned char>(a)] == fold[static_cast<unsigned char>(b)];
  };
  std::vector<bool> occurs;
  for (const std::string& term : terms)
    occurs.push_back(!content.empty() && std::search(content.begin(), content.end(), term.begin(),
                                                     term.end(), same) != content.end());
  return occurs;
}

// Every way of scanning, forced; a tiny table bound splits the terms into many automata.
const std::pair<ScanMethod, std::size_t> kVariants[] = {
    {ScanMethod::Automatic, TermScanner::kAutomatonEntries},
    {ScanMethod::SingleByte, TermScanner::kAutomatonEntries},
    {ScanMethod::Fingerprints, TermScanner::kAutomatonEntries},
    {ScanMethod::PortableFingerprints, TermScanner::kAutomatonEntries},
    {ScanMethod::Automaton, TermScanner::kAutomatonEntries},
    {ScanMethod::Automaton, 16},
    {ScanMethod::Automaton, 1},
};

std::vector<bool> Scanned(TermScanner& scanner, const std::string& content) {
  scanner.Scan(content);
  std::vector<bool> occurs;
  for (std::size_t i = 0; i < scanner.TermCount(); ++i)
    occurs.push_back(scanner.Occurs(i));
  return occurs;
}

TEST(TermScannerTest, TrickyCases) {
  std::string allBytes;
  Terms everySingleByte;
  for (int i = 0; i < 256; ++i) {
    allBytes.push_back(static_cast<char>(i));
    everySingleByte.emplace_back(1, static_cast<char>(i));
  }
  std::vector<bool> lowerHalf(256, false);
  std::fill(lowerHalf.begin(), lowerHalf.begin() + 128, true);
  const auto exact = TermMatching::Exact;
  const auto ignoreCase = TermMatching::IgnoreCase;
  const struct {
    Terms terms;
    std::string content;
    TermMatching matching;
    std::vector<bool> expected;
  } cases[] = {
      {{"abc", "bcd"}, "abcd", exact, {true, true}},
      {{"M\xFCller", "ller", "\xFCl"}, "Herr M\xFCller", exact, {true, true, true}},
      {{"M\xFCl", "M\xFCller"}, "M\xFClheim", exact, {true, false}},
      {{"x", "y", "x"}, "axa", exact, {true, false, true}},
      {{"", "a"}, "", exact, {false, false}},
      {{""}, std::string(1, '\0'), exact, {true}},
      {{std::string("a\0b", 3)}, std::string("xa\0bx", 5), ignoreCase, {true}},
      {{"m\xFCller", "M\xDCLLER"}, "M\xFCller", exact, {false, false}},
      {{"\xFF", "\x9A", "\xDF"}, "\x9F\x8As", ignoreCase, {true, true, false}},
      {{"aab", "abab"}, "aaabaabab", exact, {true, true}},
      {{" ", "  "}, "a b", exact, {true, false}},
      {everySingleByte, allBytes.substr(0, 128), exact, lowerHalf},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(test.expected, Reference(test.terms, test.content, test.matching)) << test.content;
    for (const auto& [method, entries] : kVariants) {
      TermScanner scanner(test.terms, test.matching, method, entries);
      EXPECT_EQ(Scanned(scanner, test.content), test.expected)
          << test.content << ", method " << static_cast<int>(method);
    }
  }
}

// Random term sets and contents over small alphabets, so that terms overlap, repeat and share
// prefixes and suffixes, compared with the plain loop in both matchings and every method.
TEST(TermScannerTest, AgreesWithThePlainLoop) {
  const std::string alphabets[] = {"ab", "aA\xE4\xC4", std::string("xX\0\xFF\x9F ", 6), "abcABC"};
  std::mt19937 random(20240611);
  const auto below = [&](std::size_t bound) { return static_cast<std::size_t>(random() % bound); };
  const auto text = [&](const std::string& alphabet, std::size_t length) {
    std::string result;
    for (std::size_t i = 0; i < length; ++i) {
      // Now and then any byte at all, so the "other" byte class is exercised.
      result.push_back(below(20) == 0 ? static_cast<char>(below(256))
                                      : alphabet[below(alphabet.size())]);
    }
    return result;
  };
  std::map<ScanMethod, int> used;
  for (int round = 0; round < 300; ++round) {
    const std::string& alphabet = alphabets[below(std::size(alphabets))];
    std::vector<std::string> contents;
    for (int i = 0; i < 3; ++i)
      contents.push_back(text(alphabet, below(12) == 0 ? 256 + below(2000) : below(40)));
    Terms terms;
    const std::size_t count = below(8) == 0 ? 70 + below(30) : 1 + below(10);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t kind = below(6);
      if (kind == 0 && !terms.empty()) {
        terms.push_back(terms[below(terms.size())]);  // a repeat
      } else if (kind == 1 && !contents[0].empty()) {
        terms.push_back(contents[0].substr(below(contents[0].size()), 1 + below(6)));  // occurs
      } else {
        terms.push_back(kind == 2 && below(4) == 0 ? "" : text(alphabet, 1 + below(7)));
      }
    }
    for (const TermMatching matching : {TermMatching::Exact, TermMatching::IgnoreCase}) {
      for (const auto& [method, entries] : kVariants) {
        TermScanner scanner(terms, matching, method, entries);
        ++used[scanner.Method()];
        for (const std::string& content : contents) {
          ASSERT_EQ(Scanned(scanner, content), Reference(terms, content, matching))
              << "round " << round << ", method " << static_cast<int>(method);
        }
      }
    }
  }
  // Every way of scanning was really taken, not only asked for.
  for (const ScanMethod method : {ScanMethod::SingleByte, ScanMethod::PortableFingerprints,
                                  ScanMethod::Automaton, ScanMethod::NoPatterns})
    EXPECT_GT(used[method], 10) << static_cast<int>(method);
  if (TermFingerprints::VectorTestAvailable()) EXPECT_GT(used[ScanMethod::Fingerprints], 10);
}

}  // namespace
