// Randomized comparisons with the plain reference loop: every term on its own, every start
// position, compared exactly or through the code page's case fold.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "platform/code_page.h"
#include "search/term_scanner.h"
#include "testing/search_fixture.h"

namespace {

bool Occurs(const std::string& content, const std::string& term, bool ignoreCase) {
  const auto& fold = platform::CaseFoldTable();
  const auto same = [&fold, ignoreCase](char a, char b) {
    return ignoreCase ? fold[static_cast<unsigned char>(a)] == fold[static_cast<unsigned char>(b)]
                      : a == b;
  };
  return !content.empty() && std::search(content.begin(), content.end(), term.begin(), term.end(),
                                         same) != content.end();
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
    std::vector<std::string> contents;
    for (int i = 0; i < 3; ++i)
      contents.push_back(text(alphabet, below(12) == 0 ? 256 + below(2000) : below(40)));
    std::vector<std::string> terms;
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
          std::vector<bool> expected;
          for (const std::string& term : terms)
            expected.push_back(Occurs(content, term, matching == TermMatching::IgnoreCase));
          ASSERT_EQ(occurs, expected)
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

// The whole search: for each person, each term in order until the first hit. Hits, their order
// and the pending-message points must agree.
TEST(SearchOracleTest, RandomRunsAgreeWithTheReferenceLoop) {
  std::mt19937 random(20261206);
  // A small alphabet with case pairs, umlauts and NUL forces overlaps and near misses.
  const std::string alphabet = Cp1252("abABäÄšŠ") + std::string(1, '\0');
  const auto pick = [&](std::size_t maximum) {
    std::string text(random() % (maximum + 1), ' ');
    for (char& byte : text)
      byte = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 40; ++round) {
    SearchFixture fixture;
    const bool ignoreCase = round % 2 == 0;
    fixture.form().SearchMode = ignoreCase ? 1 : 2;
    std::vector<std::string> contents;
    for (int file = 0; file < 6; ++file) {
      contents.push_back(pick(40));
      fixture.AddFile(std::to_string(file), contents.back());
    }
    std::vector<std::vector<std::string>> persons(5);
    for (std::size_t person = 0; person < persons.size(); ++person) {
      std::string list = "|";
      for (std::size_t term = random() % 4; term > 0; --term) {
        std::string bytes = pick(4);
        std::replace(bytes.begin(), bytes.end(), '\0', 'a');  // NUL cannot be written in a name
        persons[person].push_back(bytes);
        list += Utf8(platform::DecodeCodePage(bytes)) + "|";
      }
      fixture.AddPerson(std::to_string(person), list);
    }

    int expectedPoints = 0;
    std::vector<std::string> expectedHits(persons.size(), "|");
    for (std::size_t file = 0; file < contents.size(); ++file, ++expectedPoints) {
      const std::string& content = contents[file];
      for (std::size_t person = 0; person < persons.size(); ++person) {
        bool found = persons[person].empty();
        for (std::size_t term = 0; term < persons[person].size() && !found; ++term) {
          found = Occurs(content, persons[person][term], ignoreCase);
          expectedPoints += found ? 0 : 1;
        }
        if (found) expectedHits[person] += std::to_string(file + 1) + "|";
      }
    }

    fixture.form().SearchFiles();
    for (std::size_t person = 0; person < persons.size(); ++person) {
      EXPECT_EQ(fixture.HitsOf(static_cast<std::int32_t>(person + 1)), expectedHits[person])
          << "round " << round << " person " << person;
    }
    EXPECT_EQ(fixture.window().Points, expectedPoints) << "round " << round;
  }
}

}  // namespace
