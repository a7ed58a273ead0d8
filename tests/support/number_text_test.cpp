#include "support/number_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "testing/test_program.h"

namespace {

TEST(NumberTextTest, FormatSizeShowsUnitsWithHalfEvenRoundingAndNoLeadingZero) {
  // clang-format off
  const std::pair<double, std::u16string> cases[] = {
      {0, u"0 B"}, {999, u"999 B"}, {-1500, u"-1500 B"}, {1000, u".98 KB"}, {1018, u".99 KB"},
      {1019, u"1 KB"}, {1024, u"1 KB"}, {1152, u"1.12 KB"}, {1160, u"1.13 KB"}, {1536, u"1.5 KB"},
      {1023999, u"1000 KB"}, {1024000, u".98 MB"}, {1048576, u"1 MB"}, {1536000, u"1.46 MB"},
      {1048576000, u".98 GB"}, {1073741824, u"1 GB"}, {1099511627776.0, u"1024 GB"}};
  // clang-format on
  for (const auto& [bytes, expected] : cases)
    EXPECT_EQ(FormatSize(bytes, 2), expected) << bytes;
}

TEST(NumberTextTest, ReadNumberReadsTheNumberAtTheStartOfAField) {
  const double infinity = std::numeric_limits<double>::infinity();
  const std::u16string zeros(400, u'0');
  // clang-format off
  const std::pair<std::u16string, double> cases[] = {
      {u"200 000", 200000}, {u"10KB", 10}, {u"1,5", 1}, {u"", 0}, {u"&H10", 16}, {u"&hff", 255},
      {u"&O17", 15}, {u"\t 1\n2", 12}, {u"1E3", 1000}, {u"1D2", 100}, {u"1e-2", 0.01}, {u"+7", 7},
      {u".5", 0.5}, {u"1.5.3", 1.5}, {u"1E", 1}, {u"-", 0}, {u"&X1", 0}, {u" - 4 2", -42},
      {u"1 E 2", 100}, {u"1E-400", 0}, {u"1E400", infinity}, {u"&HFFFFFFFFFFFFFFFFFFFF", 0x1p80},
      // Out of range either way, whatever the exponent's sign says: the digits count as well.
      {u"1" + zeros + u"E-10", infinity}, {u"-1" + zeros + u"D-90", -infinity},
      {u"." + zeros + u"1E+10", 0}, {u"1" + zeros + u"E-100", 1e300}};  // clang-format on
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(ReadNumber(text), expected) << Utf8(text);
}

}  // namespace
