#include "search/hit_list.h"

#include <gtest/gtest.h>

#include <limits>

#include "testing/test_program.h"

namespace {

constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();

TEST(HitListTest, FieldsAreWrittenInHexadecimalAndReadBackAlike) {
  const std::pair<std::vector<std::int32_t>, std::string> cases[] = {
      {{}, "|"},
      {{1, 10, 26, 255, 4096}, "|1|A|1A|FF|1000|"},
      {{65535, 65536, kLargest}, "|FFFF|10000|7FFFFFFF|"},
  };
  for (const auto& [files, written] : cases) {
    std::u16string hits = u"|";  // a new person's list
    for (const std::int32_t file : files)
      AppendHit(hits, file);
    EXPECT_EQ(Utf8(hits), written);
    EXPECT_EQ(HitCount(hits), std::ssize(files));
    EXPECT_EQ(HitFiles(hits), files);
    for (std::size_t k = 0; k < files.size(); ++k)
      EXPECT_EQ(HitFile(hits, static_cast<std::int32_t>(k + 1)), files[k]) << written << k;
  }
}

TEST(HitListTest, ReadingIsLenientWithFieldsItDidNotWrite) {
  const std::pair<std::u16string, std::uint64_t> values[] = {
      {u"fF", 255},
      {u"12G4", 0x12},
      {u"", 0},
      {u"-1", 0},
      {u"FFFFFFFF", 0xFFFFFFFF},
      {u"FFFFFFFFFF", 0xFFFFFFFFF},  // stops growing past 32 bits instead of wrapping
  };
  for (const auto& [field, value] : values)
    EXPECT_EQ(HexValue(field), value) << Utf8(field);
  EXPECT_EQ(HitCount(u""), 0);
  EXPECT_EQ(HitFiles(u"|FFFFFFFFFF|2|"), (std::vector<std::int32_t>{kLargest, 2}));
}

}  // namespace
