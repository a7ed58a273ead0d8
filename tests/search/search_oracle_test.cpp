// The whole search against the plain reference loop: for each person, each term in order, a
// substring test until the first hit. Hits, their order and the pending-message points must agree.
#include <gtest/gtest.h>

#include <random>

#include "platform/code_page.h"
#include "search/search_fixture.h"

namespace {

bool ReferenceContains(const std::string& content, const std::string& term, bool ignoreCase) {
  if (content.empty()) return false;
  const auto& fold = platform::CaseFoldTable();
  const auto same = [&](char a, char b) {
    return ignoreCase ? fold[static_cast<unsigned char>(a)] == fold[static_cast<unsigned char>(b)]
                      : a == b;
  };
  return std::search(content.begin(), content.end(), term.begin(), term.end(), same) !=
         content.end();
}

TEST(SearchOracleTest, RandomRunsAgreeWithTheReferenceLoop) {
  std::mt19937 random(20261206);
  // A small alphabet with case pairs, umlauts and NUL forces overlaps and near misses.
  const std::string alphabet =
      Cp1252("abAB\xC3\xA4\xC3\x84\xC5\xA1\xC5\xA0") + std::string(1, '\0');
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
      fixture.AddFile(std::to_string(file) + ".f", contents.back());
    }
    std::vector<std::vector<std::string>> persons;
    for (int person = 0; person < 5; ++person) {
      std::vector<std::string> terms(random() % 4);
      std::string list = "|";
      for (auto& term : terms) {
        term = pick(4);
        std::replace(term.begin(), term.end(), '\0', 'a');  // NUL cannot be written in a name
        list += Utf8(platform::DecodeCodePage(term)) + "|";
      }
      persons.push_back(terms);
      fixture.AddPerson(std::to_string(person), list);
    }

    int expectedPoints = 0;
    std::vector<std::string> expectedHits(persons.size(), "|");
    for (std::size_t file = 0; file < contents.size(); ++file) {
      for (std::size_t person = 0; person < persons.size(); ++person) {
        bool found = persons[person].empty();
        for (const auto& term : persons[person]) {
          if (ReferenceContains(contents[file], term, ignoreCase)) {
            found = true;
            break;
          }
          ++expectedPoints;
        }
        if (found) {
          expectedHits[person] += std::to_string(file + 1);
          expectedHits[person] += '|';
        }
      }
      ++expectedPoints;
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
