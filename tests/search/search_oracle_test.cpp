// The whole search compared with the reference loop: for each person, each term in order until
// the first hit.
#include <gtest/gtest.h>

#include <random>

#include "search/term_reference.h"
#include "testing/search_fixture.h"

namespace {

// Hits and their order must agree; so must the pending-message points: one after each file, and
// one after each term that misses before the first found term of a person; a person none of
// whose terms occurs is passed over without a point. The form looks in every encoding, as it
// does on Linux by default. Files are read in tiny blocks in some rounds, so every block boundary
// is crossed; each block after a file's first brings a point.
TEST(SearchOracleTest, RandomRunsAgreeWithTheReferenceLoop) {
  std::mt19937 random(20261206);
  // A small alphabet with case pairs, umlauts and NUL forces overlaps and near misses.
  const std::u16string alphabet(u"abABäÄšŠ\0", 9);
  const auto pick = [&](std::size_t maximum, std::size_t letters) {
    std::u16string text(random() % (maximum + 1), u' ');
    for (char16_t& c : text)
      c = alphabet[random() % letters];
    return text;
  };
  const std::size_t blockSizes[] = {1 << 20, 1, 2, 3, 7};
  for (int round = 0; round < 40; ++round) {
    const std::size_t block = blockSizes[static_cast<std::size_t>(round / 2) % 5];
    const ReadThread thread = round % 4 < 2 ? ReadThread::Helper : ReadThread::Caller;
    // Every third round maps the files, handing out the same blocks from the mapping.
    SearchFixture fixture(ReadLimits{.BlockBytes = block,
                                     .FilesAhead = round % 3,
                                     .BytesAhead = 5,
                                     .MapFrom = round % 3 == 1 ? 0 : std::int64_t{1} << 40,
                                     .MapBytes = 3 * block,
                                     .Thread = thread});
    const bool ignoreCase = round % 2 == 0;
    fixture.form().SearchMode = ignoreCase ? 1 : 2;
    std::vector<std::string> contents;
    for (int file = 0; file < 6; ++file) {
      contents.push_back(reference::Encode(pick(40, alphabet.size()), ByteForm::Ansi));
      fixture.AddFile(std::to_string(file), contents.back());
    }
    std::vector<std::vector<std::u16string>> persons(5);
    for (std::size_t person = 0; person < persons.size(); ++person) {
      std::string list = "|";
      for (std::size_t term = random() % 4; term > 0; --term) {
        persons[person].push_back(pick(4, alphabet.size() - 1));  // no NUL in a name
        list += Utf8(persons[person].back()) + "|";
      }
      fixture.AddPerson(std::to_string(person), list);
    }

    int expectedPoints = 0;
    std::vector<std::string> expectedHits(persons.size(), "|");
    for (std::size_t file = 0; file < contents.size(); ++file, ++expectedPoints) {
      const std::string& content = contents[file];
      if (!content.empty()) expectedPoints += static_cast<int>((content.size() - 1) / block);
      for (std::size_t person = 0; person < persons.size(); ++person) {
        bool found = persons[person].empty();
        int misses = 0;
        for (std::size_t term = 0; term < persons[person].size() && !found; ++term) {
          found = reference::Occurs(content, persons[person][term], ByteForms::All(),
                                    ignoreCase ? TermMatching::IgnoreCase : TermMatching::Exact);
          misses += found ? 0 : 1;
        }
        expectedPoints += found ? misses : 0;
        if (found) expectedHits[person] += std::to_string(file + 1) + "|";
      }
    }

    fixture.form().SearchFiles();
    for (std::size_t person = 0; person < persons.size(); ++person) {
      EXPECT_EQ(fixture.HitsOf(static_cast<std::int32_t>(person + 1)), expectedHits[person])
          << "round " << round << " person " << person << " block " << block;
    }
    EXPECT_EQ(fixture.window().Points, expectedPoints) << "round " << round << " block " << block;
  }
}

}  // namespace
