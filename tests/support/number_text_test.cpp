#include "support/number_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "testing/test_program.h"

namespace {

TEST(MatheCodeTest, FormatSizeShowsUnitsWithHalfEvenRoundingAndNoLeadingZero) {
  const std::pair<double, std::u16string> cases[] = {
      // clang-format off
      {0, u"0 B"}, {999, u"999 B"}, {1000, u".98 KB"}, {1018, u".99 KB"}, {1019, u"1 KB"},
      {1024, u"1 KB"}, {1152, u"1.12 KB"}, {1160, u"1.13 KB"}, {1536, u"1.5 KB"},
      {1023999, u"1000 KB"}, {1024000, u".98 MB"}, {1048576, u"1 MB"}, {1536000, u"1.46 MB"},
      {1048576000, u".98 GB"}, {1073741824, u"1 GB"}, {5368709120.0, u"5 GB"},
      {1099511627776.0, u"1024 GB"}, {-1500, u"-1500 B"},
      // clang-format on
  };
  for (const auto& [bytes, expected] : cases)
    EXPECT_EQ(FormatSize(bytes, 2), expected) << bytes;
  EXPECT_EQ(NumberText(-0.5) + u" " + NumberText(1.0 / 3) + u" " + NumberText(1e15),
            u"-.5 .333333333333333 1E+15");
}

TEST(MatheCodeTest, ReadNumberReadsTheNumberAtTheStartOfAField) {
  const double infinity = std::numeric_limits<double>::infinity();
  const std::pair<std::u16string, double> cases[] = {
      // clang-format off
      {u"200000", 200000}, {u"200 000", 200000}, {u"10KB", 10}, {u"1,5", 1}, {u"", 0},
      {u"-5", -5}, {u"2.5", 2.5}, {u"&H10", 16}, {u"&hff", 255}, {u"&O17", 15},
      {u"\t 1\n2", 12}, {u"1E3", 1000}, {u"1D2", 100}, {u"1e-2", 0.01}, {u"+7", 7},
      {u"abc", 0}, {u".5", 0.5}, {u"1.5.3", 1.5}, {u"1E", 1}, {u"-", 0}, {u"&X1", 0},
      {u" - 4 2", -42}, {u"1 E 2", 100}, {u"1E400", infinity}, {u"-1E400", -infinity},
      {u"1E-400", 0},
      // clang-format on
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(ReadNumber(text), expected) << Utf8(text);
  // Out of range either way, whatever the exponent's sign says: the digits count as well.
  const std::u16string zeros(400, u'0');
  EXPECT_EQ(ReadNumber(u"1" + zeros + u"E-10"), infinity);
  EXPECT_EQ(ReadNumber(u"-1" + zeros + u"D-90"), -infinity);
  EXPECT_EQ(ReadNumber(u"." + zeros + u"1E+10"), 0);
  EXPECT_EQ(ReadNumber(u"1" + zeros + u"E-100"), 1e300);
  EXPECT_GT(ReadNumber(u"&HFFFFFFFFFFFFFFFFFFFFFFFF"), 7e28);
}

}  // namespace
