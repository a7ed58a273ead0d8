#include "search/term_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

using Terms = std::vector<std::string>;

// The plain loop the scanner must agree with: every term on its own, every start position.
std::vector<bool> Reference(const Terms& terms, const std::string& content, TermMatching matching) {
  const ByteFold& fold = FoldFor(matching);
  const auto same = [&fold](char a, char b) {
    return fold[static_cast<unsigned char>(a)] == fold[static_cast<unsigned char>(b)];
  };
  std::vector<bool> occurs;
  for (const std::string& term : terms) {
    occurs.push_back(!content.empty() && std::search(content.begin(), content.end(), term.begin(),
                                                     term.end(), same) != content.end());
  }
  return occurs;
}

// Random term sets and contents over small alphabets, so that terms overlap, repeat and share
// prefixes and suffixes, compared with the plain loop in both matchings and every way of
// scanning, forced; a tiny table bound splits the terms into many automata.
TEST(TermScannerTest, AgreesWithThePlainLoop) {
  const std::pair<ScanMethod, std::size_t> variants[] = {
      {ScanMethod::Automatic, TermScanner::kAutomatonEntries},
      {ScanMethod::SingleByte, TermScanner::kAutomatonEntries},
      {ScanMethod::Fingerprints, TermScanner::kAutomatonEntries},
      {ScanMethod::PortableFingerprints, TermScanner::kAutomatonEntries},
      {ScanMethod::Automaton, TermScanner::kAutomatonEntries},
      {ScanMethod::Automaton, 16},
      {ScanMethod::Automaton, 1}};
  const std::string alphabets[] = {"ab", "aA\xE4\xC4", std::string("xX\0\xFF\x9F ", 6), "abcABC"};
  std::mt19937 random(20240611);
  const auto below = [&](std::size_t bound) { return static_cast<std::size_t>(random() % bound); };
  const auto text = [&](const std::string& alphabet, std::size_t length) {
    std::string result;  // now and then any byte at all, so the "other" byte class is used
    for (std::size_t i = 0; i < length; ++i)
      result += below(20) == 0 ? static_cast<char>(below(256)) : alphabet[below(alphabet.size())];
    return result;
  };
  std::map<ScanMethod, int> used;
  for (int round = 0; round < 300; ++round) {
    const std::string& alphabet = alphabets[below(std::size(alphabets))];
    Terms contents;
    for (int i = 0; i < 3; ++i)
      contents.push_back(text(alphabet, below(12) == 0 ? 256 + below(2000) : below(40)));
    Terms terms;
    // A few or many terms: repeats, some that surely occur, empty ones; now and then every byte.
    for (std::size_t i = 0, count = below(8) == 0 ? 70 + below(30) : 1 + below(10); i < count;
         ++i) {
      const std::size_t kind = below(6);
      if (kind == 0 && !terms.empty()) {
        terms.push_back(terms[below(terms.size())]);
      } else if (kind == 1 && !contents[0].empty()) {
        terms.push_back(contents[0].substr(below(contents[0].size()), 1 + below(6)));
      } else {
        terms.push_back(kind == 2 && below(4) == 0 ? "" : text(alphabet, 1 + below(7)));
      }
    }
    if (round % 50 == 0) {
      terms.clear();
      for (int byte = 0; byte < 256; ++byte)
        terms.emplace_back(1, static_cast<char>(byte));
    }
    for (const TermMatching matching : {TermMatching::Exact, TermMatching::IgnoreCase}) {
      for (const auto& [method, entries] : variants) {
        TermScanner scanner(terms, matching, method, entries);
        ++used[scanner.Method()];
        for (const std::string& content : contents) {
          scanner.Scan(content);
          std::vector<bool> occurs;
          for (std::size_t term = 0; term < terms.size(); ++term)
            occurs.push_back(scanner.Occurs(term));
          ASSERT_EQ(occurs, Reference(terms, content, matching))
              << "round " << round << ", method " << static_cast<int>(method);
        }
      }
    }
  }
  // Every way of scanning was really taken, not only asked for.
  for (const ScanMethod method : {ScanMethod::SingleByte, ScanMethod::PortableFingerprints,
                                  ScanMethod::Automaton, ScanMethod::NoPatterns})
    EXPECT_GT(used[method], 10) << static_cast<int>(method);
  EXPECT_GT(used[ScanMethod::Fingerprints], TermFingerprints::VectorTestAvailable() ? 10 : -1);
}

}  // namespace
