#include "search/person_table.h"

#include <gtest/gtest.h>

#include "testing/cpu_time.h"
#include "testing/test_program.h"

namespace {

// A name is taken once, by its first declaration with its terms; names are compared exactly.
// Hits stay in the order found; a person without hits has none, however high their number.
TEST(PersonTableTest, TheFirstDeclarationOfANameWinsAndHitsKeepTheirOrder) {
  PersonTable persons;
  for (const char16_t* name : {u"Nord", u"nord", u"Nord", u""})
    persons.Add(name, u"|" + std::u16string(name) + U16(std::to_string(persons.Count())) + u"|");
  EXPECT_EQ(persons.Count(), 3u);
  EXPECT_EQ(persons[PersonId{0}].Terms, u"|Nord0|");
  const std::pair<std::u16string, std::optional<PersonId>> lookups[] = {
      {u"Nord", PersonId{0}},   {u"nord", PersonId{1}},  {u"", PersonId{2}},
      {u"Nord ", std::nullopt}, {u"NORD", std::nullopt},
  };
  for (const auto& [name, person] : lookups)
    EXPECT_EQ(persons.Find(name), person) << Utf8(name);
  HitTable hits;
  hits.Add(PersonId{1}, FileId{4});
  hits.Add(PersonId{1}, FileId{2});
  EXPECT_EQ(hits.FilesOf(PersonId{1}), (std::vector{FileId{4}, FileId{2}}));
  EXPECT_EQ(hits.CountOf(PersonId{0}) + hits.CountOf(PersonId{7}), 0u);
}

// Declaring must stay linear: comparing each name with every earlier one took ten seconds for
// this many.
TEST(PersonTableTest, AHundredThousandNamesAreDeclaredQuickly) {
  PersonTable persons;
  const double start = ThreadCpuSeconds();
  for (int line = 0; line < 100'000; ++line) {
    const int name = line % 10 == 9 ? line - 9 : line;  // every tenth repeats an earlier name
    persons.Add(u"Person " + U16(std::to_string(name)), u"|");
  }
  EXPECT_LT(ThreadCpuSeconds() - start, 10.0);
  EXPECT_EQ(persons.Count(), 90'000u);
}

}  // namespace
