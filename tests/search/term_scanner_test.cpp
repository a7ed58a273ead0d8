#include "search/term_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/code_page.h"

namespace {

using Terms = std::vector<std::string>;

// The plain loop the scanner must agree with: every term on its own, every start position.
bool ReferenceOccurs(const std::string& term, const std::string& content, TermMatching matching) {
  if (term.empty()) return !content.empty();
  const ByteFold& fold = FoldFor(matching);
  for (std::size_t start = 0; start + term.size() <= content.size(); ++start) {
    bool equal = true;
    for (std::size_t i = 0; i < term.size() && equal; ++i) {
      equal = fold[static_cast<unsigned char>(content[start + i])] ==
              fold[static_cast<unsigned char>(term[i])];
    }
    if (equal) return true;
  }
  return false;
}

struct Variant {
  ScanMethod method;
  std::size_t automatonEntries;
};

// Every way of scanning, forced; a tiny table bound splits the terms into many automata.
const Variant kVariants[] = {
    {ScanMethod::Automatic, TermScanner::kAutomatonEntries},
    {ScanMethod::SingleByte, TermScanner::kAutomatonEntries},
    {ScanMethod::Fingerprints, TermScanner::kAutomatonEntries},
    {ScanMethod::PortableFingerprints, TermScanner::kAutomatonEntries},
    {ScanMethod::Automaton, TermScanner::kAutomatonEntries},
    {ScanMethod::Automaton, 16},
    {ScanMethod::Automaton, 1},
};

std::vector<bool> Scanned(const TermScanner& scanner) {
  std::vector<bool> occurs;
  for (std::size_t i = 0; i < scanner.TermCount(); ++i)
    occurs.push_back(scanner.Occurs(i));
  return occurs;
}

std::vector<bool> Reference(const Terms& terms, const std::string& content, TermMatching matching) {
  std::vector<bool> occurs;
  for (const std::string& term : terms)
    occurs.push_back(ReferenceOccurs(term, content, matching));
  return occurs;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (const int value : values)
    bytes.push_back(static_cast<char>(value));
  return bytes;
}

TEST(TermScannerTest, TrickyCases) {
  const std::string allBytes = [] {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
      bytes.push_back(static_cast<char>(i));
    return bytes;
  }();
  const Terms everySingleByte = [&] {
    Terms terms;
    for (const char byte : allBytes)
      terms.emplace_back(1, byte);
    return terms;
  }();
  struct Case {
    const char* name;
    Terms terms;
    std::string content;
    TermMatching matching;
    std::vector<bool> expected;
  };
  const auto exact = TermMatching::Exact;
  const auto ignoreCase = TermMatching::IgnoreCase;
  const Case cases[] = {
      {"overlapping terms", {"abc", "bcd"}, "abcd", exact, {true, true}},
      {"suffix inside a longer term",
       {"M\xFCller", "ller", "\xFCl"},
       "Herr M\xFCller",
       exact,
       {true, true, true}},
      {"prefix found, longer term not",
       {"M\xFCl", "M\xFCller"},
       "M\xFClheim",
       exact,
       {true, false}},
      {"repeated term", {"x", "y", "x"}, "axa", exact, {true, false, true}},
      {"empty term in empty content", {"", "a"}, "", exact, {false, false}},
      {"empty term in content", {"", "zz"}, "a", ignoreCase, {true, false}},
      {"empty term in a lone NUL", {""}, std::string(1, '\0'), exact, {true}},
      {"term after NUL bytes", {"Meier"}, std::string("\0\0Meier", 7), exact, {true}},
      {"term holding NUL", {std::string("a\0b", 3)}, std::string("xa\0bx", 5), ignoreCase, {true}},
      {"umlauts without case",
       {"m\xFCller", "M\xDCLLER"},
       "M\xDCLLER m\xFCller",
       ignoreCase,
       {true, true}},
      {"umlauts exactly", {"m\xFCller", "M\xDCLLER"}, "M\xFCller", exact, {false, false}},
      {"y with diaeresis folds", {"\xFF"}, "\x9F", ignoreCase, {true}},
      {"sharp s is not ss",
       {"stra\xDF"
        "e"},
       "STRASSE",
       ignoreCase,
       {false}},
      {"micro sign has no partner", {"\xB5"}, "M\xB5", ignoreCase, {true}},
      {"term longer than content", {"abcdef"}, "abc", ignoreCase, {false}},
      {"term at both ends", {"ab", "yz"}, "abxyz", exact, {true, true}},
      {"failure links", {"aab", "abab"}, "aaabaabab", exact, {true, true}},
      {"terms of blanks", {" ", "  "}, "a b", exact, {true, false}},
      {"all byte values", everySingleByte, allBytes.substr(0, 128), exact,
       [] {
         std::vector<bool> expected(256, false);
         for (int i = 0; i < 128; ++i)
           expected[i] = true;
         return expected;
       }()},
      {"case pairs of all bytes",
       {Bytes({0xC4, 0xE4}), "Z"},
       Bytes({0xE4, 0xC4, 'z'}),
       ignoreCase,
       {true, true}},
  };
  for (const Case& test : cases) {
    for (const Variant& variant : kVariants) {
      TermScanner scanner(test.terms, test.matching, variant.method, variant.automatonEntries);
      scanner.Scan(test.content);
      EXPECT_EQ(Scanned(scanner), test.expected)
          << test.name << ", method " << static_cast<int>(variant.method);
      EXPECT_EQ(test.expected, Reference(test.terms, test.content, test.matching)) << test.name;
    }
  }
}

TEST(TermScannerTest, ChoosesTheMethodByTermSet) {
  Terms many;
  for (int i = 0; i < 200; ++i)
    many.push_back("Person" + std::to_string(i));
  const ScanMethod fewTerms =
      TermFingerprints::VectorTestAvailable() ? ScanMethod::Fingerprints : ScanMethod::Automaton;
  struct Case {
    Terms terms;
    TermMatching matching;
    ScanMethod expected;
  };
  const Case cases[] = {
      {{"", ""}, TermMatching::Exact, ScanMethod::NoPatterns},
      {{"Meyer"}, TermMatching::Exact, ScanMethod::SingleByte},
      {{"Meyer", "meyer"}, TermMatching::IgnoreCase, fewTerms},
      {{"Meyer", "Schulz", "Krause"}, TermMatching::Exact, fewTerms},
      {many, TermMatching::IgnoreCase, ScanMethod::Automaton},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(TermScanner(test.terms, test.matching).Method(), test.expected) << test.terms[0];
  }
  EXPECT_EQ(TermScanner(many, TermMatching::Exact, ScanMethod::Automaton).AutomatonCount(), 1u);
  EXPECT_GT(TermScanner(many, TermMatching::Exact, ScanMethod::Automaton, 64).AutomatonCount(), 1u);
}

// Random term sets and contents over small alphabets, so that terms overlap, repeat and share
// prefixes and suffixes, compared with the plain loop in both matchings and every method.
TEST(TermScannerTest, AgreesWithThePlainLoop) {
  const std::string alphabets[] = {
      "ab",
      Bytes({'a', 'A', 0xE4, 0xC4}),
      Bytes({'x', 'X', 0, 0xFF, 0x9F, ' '}),
      "abcABC",
  };
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
  constexpr int kRounds = 300;
  std::size_t checked = 0;
  std::map<ScanMethod, int> used;
  for (int round = 0; round < kRounds; ++round) {
    const std::string& alphabet = alphabets[below(std::size(alphabets))];
    std::vector<std::string> contents;
    for (int i = 0; i < 3; ++i) {
      const std::size_t length = below(12) == 0 ? 256 + below(2000) : below(40);
      contents.push_back(text(alphabet, length));
    }
    Terms terms;
    const std::size_t count = below(8) == 0 ? 70 + below(30) : 1 + below(10);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t kind = below(6);
      if (kind == 0 && !terms.empty()) {
        terms.push_back(terms[below(terms.size())]);  // a repeat
      } else if (kind == 1 && !contents[0].empty()) {
        const std::size_t start = below(contents[0].size());
        terms.push_back(contents[0].substr(start, 1 + below(6)));  // certainly occurs
      } else if (kind == 2 && below(4) == 0) {
        terms.emplace_back();
      } else {
        terms.push_back(text(alphabet, 1 + below(7)));
      }
    }
    for (const TermMatching matching : {TermMatching::Exact, TermMatching::IgnoreCase}) {
      std::vector<std::vector<bool>> expected;
      for (const std::string& content : contents) {
        expected.push_back(Reference(terms, content, matching));
      }
      for (const Variant& variant : kVariants) {
        TermScanner scanner(terms, matching, variant.method, variant.automatonEntries);
        ++used[scanner.Method()];
        for (std::size_t c = 0; c < contents.size(); ++c) {
          scanner.Scan(contents[c]);
          ASSERT_EQ(Scanned(scanner), expected[c])
              << "round " << round << ", method " << static_cast<int>(variant.method);
          ++checked;
        }
      }
    }
  }
  EXPECT_EQ(checked, kRounds * 2 * std::size(kVariants) * 3);
  // Every way of scanning was really taken, not only asked for.
  const ScanMethod methods[] = {ScanMethod::SingleByte, ScanMethod::PortableFingerprints,
                                ScanMethod::Automaton, ScanMethod::NoPatterns};
  for (const ScanMethod method : methods) {
    EXPECT_GT(used[method], 10) << static_cast<int>(method);
  }
  if (TermFingerprints::VectorTestAvailable()) {
    EXPECT_GT(used[ScanMethod::Fingerprints], 10);
  }
}

}  // namespace
