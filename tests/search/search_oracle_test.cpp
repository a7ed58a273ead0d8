// The whole search against the plain reference loop: for each person, each term in order, a
// substring test until the first hit. Hits, their order and the pending-message points must agree.
#include <gtest/gtest.h>

#include <random>

#include "platform/code_page.h"
#include "search/search_fixture.h"

namespace {

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
  const auto& fold = platform::CaseFoldTable();
  for (int round = 0; round < 40; ++round) {
    SearchFixture fixture;
    const bool ignoreCase = round % 2 == 0;
    fixture.form().SearchMode = ignoreCase ? 1 : 2;
    const auto same = [&](char a, char b) {
      return ignoreCase ? fold[static_cast<unsigned char>(a)] == fold[static_cast<unsigned char>(b)]
                        : a == b;
    };
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
          const std::string& bytes = persons[person][term];
          found = !content.empty() && std::search(content.begin(), content.end(), bytes.begin(),
                                                  bytes.end(), same) != content.end();
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
