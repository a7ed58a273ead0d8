#include "search/term_letter_case.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace {

// Runs of pairs: count pairs starting at (upper, lower), both advancing by step.
struct PairRun {
  char32_t upper;
  char32_t lower;
  std::uint8_t count;
  std::uint8_t step;
};

// Generated from the Unicode character database (version 14) by the rule in the header.
constexpr PairRun kRuns[] = {
    {0x0041, 0x0061, 26, 1}, {0x00C0, 0x00E0, 23, 1}, {0x00D8, 0x00F8, 7, 1},
    {0x0100, 0x0101, 24, 2}, {0x0132, 0x0133, 3, 2},  {0x0139, 0x013A, 8, 2},
    {0x014A, 0x014B, 23, 2}, {0x0178, 0x00FF, 1, 1},  {0x0179, 0x017A, 3, 2},
    {0x0181, 0x0253, 1, 1},  {0x0182, 0x0183, 2, 2},  {0x0186, 0x0254, 1, 1},
    {0x0187, 0x0188, 1, 1},  {0x0189, 0x0256, 2, 1},  {0x018B, 0x018C, 1, 1},
    {0x018E, 0x01DD, 1, 1},  {0x018F, 0x0259, 1, 1},  {0x0190, 0x025B, 1, 1},
    {0x0191, 0x0192, 1, 1},  {0x0193, 0x0260, 1, 1},  {0x0194, 0x0263, 1, 1},
    {0x0196, 0x0269, 1, 1},  {0x0197, 0x0268, 1, 1},  {0x0198, 0x0199, 1, 1},
    {0x019C, 0x026F, 1, 1},  {0x019D, 0x0272, 1, 1},  {0x019F, 0x0275, 1, 1},
    {0x01A0, 0x01A1, 3, 2},  {0x01A6, 0x0280, 1, 1},  {0x01A7, 0x01A8, 1, 1},
    {0x01A9, 0x0283, 1, 1},  {0x01AC, 0x01AD, 1, 1},  {0x01AE, 0x0288, 1, 1},
    {0x01AF, 0x01B0, 1, 1},  {0x01B1, 0x028A, 2, 1},  {0x01B3, 0x01B4, 2, 2},
    {0x01B7, 0x0292, 1, 1},  {0x01B8, 0x01B9, 1, 1},  {0x01BC, 0x01BD, 1, 1},
    {0x01C4, 0x01C6, 1, 1},  {0x01C7, 0x01C9, 1, 1},  {0x01CA, 0x01CC, 1, 1},
    {0x01CD, 0x01CE, 8, 2},  {0x01DE, 0x01DF, 9, 2},  {0x01F1, 0x01F3, 1, 1},
    {0x01F4, 0x01F5, 1, 1},  {0x01F6, 0x0195, 1, 1},  {0x01F7, 0x01BF, 1, 1},
    {0x01F8, 0x01F9, 20, 2}, {0x0220, 0x019E, 1, 1},  {0x0222, 0x0223, 9, 2},
    {0x023A, 0x2C65, 1, 1},  {0x023B, 0x023C, 1, 1},  {0x023D, 0x019A, 1, 1},
    {0x023E, 0x2C66, 1, 1},  {0x0241, 0x0242, 1, 1},  {0x0243, 0x0180, 1, 1},
    {0x0244, 0x0289, 1, 1},  {0x0245, 0x028C, 1, 1},  {0x0246, 0x0247, 5, 2},
    {0x0370, 0x0371, 2, 2},  {0x0376, 0x0377, 1, 1},  {0x037F, 0x03F3, 1, 1},
    {0x0386, 0x03AC, 1, 1},  {0x0388, 0x03AD, 3, 1},  {0x038C, 0x03CC, 1, 1},
    {0x038E, 0x03CD, 2, 1},  {0x0391, 0x03B1, 17, 1}, {0x03A3, 0x03C3, 9, 1},
    {0x03CF, 0x03D7, 1, 1},  {0x03D8, 0x03D9, 12, 2}, {0x03F7, 0x03F8, 1, 1},
    {0x03F9, 0x03F2, 1, 1},  {0x03FA, 0x03FB, 1, 1},  {0x03FD, 0x037B, 3, 1},
    {0x0400, 0x0450, 16, 1}, {0x0410, 0x0430, 32, 1}, {0x0460, 0x0461, 17, 2},
    {0x048A, 0x048B, 27, 2}, {0x04C0, 0x04CF, 1, 1},  {0x04C1, 0x04C2, 7, 2},
    {0x04D0, 0x04D1, 48, 2}, {0x2C7E, 0x023F, 2, 1},
};

}  // namespace

const std::vector<std::pair<char32_t, char32_t>>& CasePairs() {
  static const std::vector<std::pair<char32_t, char32_t>> pairs = [] {
    std::vector<std::pair<char32_t, char32_t>> all;
    for (const PairRun& run : kRuns) {
      for (char32_t i = 0; i < run.count; ++i)
        all.emplace_back(run.upper + i * run.step, run.lower + i * run.step);
    }
    std::sort(all.begin(), all.end());
    return all;
  }();
  return pairs;
}

char32_t CasePartner(char32_t character) {
  static const std::unordered_map<char32_t, char32_t> partners = [] {
    std::unordered_map<char32_t, char32_t> map;
    for (const auto& [upper, lower] : CasePairs()) {
      map.emplace(upper, lower);
      map.emplace(lower, upper);
    }
    return map;
  }();
  const auto found = partners.find(character);
  return found == partners.end() ? character : found->second;
}
