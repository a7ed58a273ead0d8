#include "support/field_list.h"

#include <gtest/gtest.h>

#include "testing/test_program.h"

namespace {

using Texts = std::vector<std::u16string>;

// Every field is closed by the separator: a list that does not open with it has no field, and a
// piece after the last separator is none. GetField gives "" for a field that is not there.
TEST(FieldListTest, OnlyClosedFieldsOfListsOpeningWithTheSeparatorCount) {
  const std::tuple<std::u16string, std::u16string, Texts, int, std::u16string> cases[] = {
      // list, separator, SplitFields and GetField from 1 on, FieldCount, FieldsAfterFirst
      // clang-format off
      {u"|a|b|c|", u"|", {u"a", u"b", u"c"}, 3, u"|b|c|"}, {u"|a|b", u"|", {u"a"}, 1, u"|b"},
      {u"a|b|", u"|", {}, 1, u"|b|"}, {u"|a||c|", u"|", {u"a", u"", u"c"}, 3, u"||c|"},
      {u"|", u"|", {}, 0, u""}, {u"", u"|", {}, -1, u""}, {u" |a|b|", u"|", {}, 2, u"|a|b|"},
      {u"::a::b::", u"::", {u"a", u"b"}, 2, u"::b::"}, {u"::a:::b", u"::", {u"a"}, 1, u":::b"},
      // Occurrences of the separator never overlap.
      {u"a|xa|a|", u"a|", {u"x", u""}, 2, u"a|a|"}, {u"|||", u"||", {}, 0, u"|"},
      {u"", u" ", {}, -1, u""}, {u" ", u"  ", {}, -1, u""}};  // clang-format on
  for (const auto& [list, separator, fields, count, afterFirst] : cases) {
    SCOPED_TRACE(Utf8(list) + " split at " + Utf8(separator));
    const std::vector<std::u16string_view> split = SplitFields(list, separator);
    EXPECT_EQ(Texts(split.begin(), split.end()), fields);
    for (std::size_t n = 0; n <= fields.size() + 1; ++n)
      EXPECT_EQ(GetField(list, static_cast<std::int32_t>(n), separator),
                n >= 1 && n <= fields.size() ? fields[n - 1] : u"");
    EXPECT_EQ(FieldCount(list, separator), count);
    EXPECT_EQ(FieldsAfterFirst(list, separator), afterFirst);
  }
  // A million fields in one pass: going back to the start for every field would take hours.
  EXPECT_EQ(SplitFields(std::u16string(1'000'001, u'|'), u"|").size(), 1'000'000u);
}

}  // namespace
