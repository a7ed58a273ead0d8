#include <gtest/gtest.h>

#include "search/term_search.h"
#include "term_reference.h"

namespace {

using reference::TestCodePage;

std::vector<PersonEntry> Persons(const std::vector<std::u16string>& terms) {
  std::vector<PersonEntry> persons(1);
  for (const std::u16string& term : terms)
    persons.push_back({u"P", term, u"|"});
  return persons;
}

// Streams of one content: fed after Finish, findings stay and no term spans two streams; a
// second search's findings can be counted in.
TEST(TermSearchStreamsTest, StreamsKeepFindingsAndNeverJoin) {
  const std::vector<PersonEntry> persons = Persons({u"|Hans|", u"|Meier|", u"|Müller|", u"|Zorn|"});
  TermSearch raw(persons, TermMatching::IgnoreCase, TestCodePage());
  TermSearch text(persons, TermMatching::IgnoreCase, TestCodePage(), ByteForms{ByteForm::Utf8});
  raw.Begin();
  raw.Feed("xx Ha");
  raw.Finish();
  raw.Feed("ns ");
  raw.Feed("Me");
  raw.Feed("ier");
  raw.Finish();
  text.Begin();
  text.Feed("M\xC3\x9C");  // "MÜ", in UTF-8
  text.Feed("LLER");
  text.Finish();
  text.Feed("Zo");
  text.Finish();
  text.Feed("rn");
  text.Finish();
  EXPECT_FALSE(raw.Occurs(0));
  EXPECT_TRUE(raw.Occurs(1));
  EXPECT_FALSE(raw.Occurs(2));
  raw.Include(text);
  EXPECT_TRUE(raw.Occurs(2));
  EXPECT_FALSE(raw.Occurs(3));
  EXPECT_EQ(raw.PersonsToVisit(), (std::vector<std::int32_t>{2, 3}));
  // A new content forgets what the last one and its included texts found.
  raw.Begin();
  raw.Feed("Hans");
  raw.Finish();
  EXPECT_EQ(raw.PersonsToVisit(), (std::vector<std::int32_t>{1}));
}

}  // namespace
