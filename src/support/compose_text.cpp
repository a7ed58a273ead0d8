#include "support/compose_text.h"

#include <algorithm>
#include <array>
#include <utility>

#include "support/compose_table.h"

namespace {

// The letter with its marks composed as far as NFC composes them: marks in canonical order, each
// joined to the letter unless an earlier mark of the same class stayed apart (and so blocks it).
// Returns whether anything changed.
bool ComposeCluster(char32_t& starter, std::vector<char32_t>& marks) {
  const auto byClass = [](char32_t left, char32_t right) {
    return CombiningClass(left) < CombiningClass(right);
  };
  bool changed = !std::is_sorted(marks.begin(), marks.end(), byClass);
  std::stable_sort(marks.begin(), marks.end(), byClass);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const bool blocked = kept > 0 && CombiningClass(marks[kept - 1]) >= CombiningClass(marks[i]);
    const char32_t composed = blocked ? 0 : ComposePair(starter, marks[i]);
    if (composed != 0) {
      starter = composed;
      changed = true;
    } else {
      changed = changed || kept != i;
      marks[kept++] = marks[i];
    }
  }
  marks.resize(kept);
  return changed;
}

void AppendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// The length of the UTF-8 sequence at the start of bytes, with its code: 0 when the first byte
// starts no valid sequence, and bytes.size() + 1 when the sequence is cut off at the end.
std::size_t DecodeUtf8(std::string_view bytes, char32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == bytes.size()) return bytes.size() + 1;
    const auto next = static_cast<unsigned char>(bytes[i]);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
    code = (code << 6) | (next & 0x3Fu);
  }
  return length;
}

}  // namespace

int CombiningClass(char32_t code) {
  if (code < 0x0300 || code > 0x0487) return 0;
  const auto* end = std::end(compose_table::kMarkClasses);
  const auto* found = std::lower_bound(
      std::begin(compose_table::kMarkClasses), end, code,
      [](const compose_table::MarkClass& entry, char32_t wanted) { return entry.Mark < wanted; });
  return found != end && found->Mark == code ? found->Class : 0;
}

char32_t ComposePair(char32_t base, char32_t mark) {
  if (base > 0xFFFF || mark < 0x0300 || mark > 0x036F) return 0;
  const auto key = std::pair(base, mark);
  const auto* end = std::end(compose_table::kPairs);
  const auto* found =
      std::lower_bound(std::begin(compose_table::kPairs), end, key,
                       [](const compose_table::Pair& entry, std::pair<char32_t, char32_t> wanted) {
                         return std::pair<char32_t, char32_t>(entry.Base, entry.Mark) < wanted;
                       });
  return found != end && found->Base == base && found->Mark == mark ? found->Composed : 0;
}

char32_t MarkOfSpacingAccent(char32_t code) {
  static constexpr std::array<std::pair<char32_t, char32_t>, 19> kAccents = {{
      {0x0060, 0x0300},  // ` grave
      {0x005E, 0x0302},  // ^ circumflex
      {0x007E, 0x0303},  // ~ tilde
      {0x00A8, 0x0308},  // ¨ diaeresis
      {0x00AF, 0x0304},  // ¯ macron
      {0x00B4, 0x0301},  // ´ acute
      {0x00B8, 0x0327},  // ¸ cedilla
      {0x02C6, 0x0302},  // ˆ circumflex
      {0x02C7, 0x030C},  // ˇ caron
      {0x02C9, 0x0304},  // ˉ macron
      {0x02CA, 0x0301},  // ˊ acute
      {0x02CB, 0x0300},  // ˋ grave
      {0x02D8, 0x0306},  // ˘ breve
      {0x02D9, 0x0307},  // ˙ dot above
      {0x02DA, 0x030A},  // ˚ ring above
      {0x02DB, 0x0328},  // ˛ ogonek
      {0x02DC, 0x0303},  // ˜ tilde
      {0x02DD, 0x030B},  // ˝ double acute
      {0x0385, 0x0301},  // ΅ Greek dialytika tonos, read as its acute
  }};
  for (const auto& [accent, mark] : kAccents) {
    if (accent == code) return mark;
  }
  return 0;
}

std::u16string ComposeText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t at = 0;
  std::vector<char32_t> marks;
  while (at < text.size()) {
    char32_t starter = text[at++];
    std::size_t end = at;
    while (end < text.size() && CombiningClass(text[end]) != 0)
      ++end;
    if (end == at) {
      out.push_back(static_cast<char16_t>(starter));
      continue;
    }
    marks.assign(text.begin() + static_cast<std::ptrdiff_t>(at),
                 text.begin() + static_cast<std::ptrdiff_t>(end));
    ComposeCluster(starter, marks);
    out.push_back(static_cast<char16_t>(starter));
    for (const char32_t mark : marks)
      out.push_back(static_cast<char16_t>(mark));
    at = end;
  }
  return out;
}

void Utf8Composer::Add(std::string_view piece, std::string& out) {
  std::string joined;
  if (!partial_.empty()) {
    joined = std::move(partial_) + std::string(piece);
    partial_.clear();
    piece = joined;
  }
  std::size_t at = 0;
  while (at < piece.size()) {
    if (static_cast<unsigned char>(piece[at]) < 0x80) {
      // A run of ASCII: every character but the last is a letter no mark follows.
      std::size_t end = at + 1;
      while (end < piece.size() && static_cast<unsigned char>(piece[end]) < 0x80)
        ++end;
      Emit(out);
      out.append(piece.substr(at, end - 1 - at));
      starter_ = static_cast<unsigned char>(piece[end - 1]);
      starterBytes_.assign(1, piece[end - 1]);
      at = end;
      continue;
    }
    char32_t code = 0;
    const std::size_t length = DecodeUtf8(piece.substr(at), code);
    if (length > piece.size() - at) {
      partial_.assign(piece.substr(at));
      return;
    }
    if (length == 0) {
      Take(0, piece.substr(at, 1), out);  // not UTF-8: passed on as it is
      ++at;
      continue;
    }
    Take(code, piece.substr(at, length), out);
    at += length;
  }
}

void Utf8Composer::Take(char32_t code, std::string_view bytes, std::string& out) {
  if (code != 0 && CombiningClass(code) != 0 && !starterBytes_.empty()) {
    marks_.push_back(code);
    markBytes_.append(bytes);
    return;
  }
  Emit(out);
  starter_ = code;
  starterBytes_.assign(bytes);
}

void Utf8Composer::Emit(std::string& out) {
  if (marks_.empty() || !ComposeCluster(starter_, marks_)) {
    out += starterBytes_;
    out += markBytes_;
  } else {
    AppendUtf8(starter_, out);
    for (const char32_t mark : marks_)
      AppendUtf8(mark, out);
  }
  starter_ = 0;
  starterBytes_.clear();
  marks_.clear();
  markBytes_.clear();
}

void Utf8Composer::Flush(std::string& out) {
  Emit(out);
  out += partial_;
  partial_.clear();
}
