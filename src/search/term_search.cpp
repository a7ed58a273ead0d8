#include "search/term_search.h"

#include <unordered_map>

#include "platform/code_page.h"
#include "support/text_code.h"

namespace {

/// Compares bytes as they are.
struct ExactBytes {
  unsigned char operator()(char byte) const { return static_cast<unsigned char>(byte); }
};

/// Compares bytes through the code page's fold table.
struct FoldedBytes {
  const std::array<unsigned char, 256>& table;
  unsigned char operator()(char byte) const { return table[static_cast<unsigned char>(byte)]; }
};

/// Horspool's substring search over the whole content; pattern bytes are already mapped.
template <typename Map>
bool HorspoolContains(std::string_view content, const std::string& pattern,
                      const std::array<std::uint32_t, 256>& skip, Map map) {
  const std::size_t length = pattern.size();
  if (length > content.size()) return false;
  const auto last = static_cast<unsigned char>(pattern[length - 1]);
  const std::size_t end = content.size() - length;
  std::size_t position = 0;
  while (position <= end) {
    const unsigned char tail = map(content[position + length - 1]);
    if (tail == last) {
      std::size_t index = 0;
      while (index + 1 < length &&
             map(content[position + index]) == static_cast<unsigned char>(pattern[index])) {
        ++index;
      }
      if (index + 1 == length) return true;
    }
    position += skip[tail];
  }
  return false;
}

}  // namespace

TermSearch::TermSearch(const std::vector<PersonEntry>& persons, CompareMode mode) : mode_(mode) {
  personTerms_.resize(persons.empty() ? 1 : persons.size());
  const auto& fold = platform::CaseFoldTable();
  std::unordered_map<std::string, std::int32_t> known;
  for (std::size_t person = 1; person < persons.size(); ++person) {
    const std::u16string& terms = persons[person].Terms;
    const std::int32_t count = FieldCount(terms, u"|");
    for (std::int32_t field = 1; field <= count; ++field) {
      std::string bytes = platform::EncodeCodePage(GetField(terms, field, u"|"));
      if (mode_ == CompareMode::IgnoreCase) {
        for (char& byte : bytes)
          byte = static_cast<char>(fold[static_cast<unsigned char>(byte)]);
      }
      // Persons often share terms; each distinct one is searched once per file.
      const auto [entry, added] = known.try_emplace(bytes, TermCount());
      if (added) {
        Pattern pattern;
        pattern.Bytes = std::move(bytes);
        const std::size_t length = pattern.Bytes.size();
        pattern.Skip.fill(static_cast<std::uint32_t>(length == 0 ? 1 : length));
        for (std::size_t index = 0; index + 1 < length; ++index) {
          pattern.Skip[static_cast<unsigned char>(pattern.Bytes[index])] =
              static_cast<std::uint32_t>(length - 1 - index);
        }
        patterns_.push_back(std::move(pattern));
      }
      personTerms_[person].push_back(entry->second);
    }
  }
  answers_.assign(patterns_.size(), Answer::Unknown);
}

void TermSearch::PrepareContent(std::string_view content) {
  content_ = content;
  answers_.assign(patterns_.size(), Answer::Unknown);
}

bool TermSearch::Occurs(std::int32_t term) {
  Answer& answer = answers_[static_cast<std::size_t>(term)];
  if (answer == Answer::Unknown) {
    answer = Contains(patterns_[static_cast<std::size_t>(term)]) ? Answer::Yes : Answer::No;
  }
  return answer == Answer::Yes;
}

bool TermSearch::Contains(const Pattern& pattern) const {
  if (content_.empty()) return false;
  if (pattern.Bytes.empty()) return true;
  if (mode_ == CompareMode::IgnoreCase) {
    return HorspoolContains(content_, pattern.Bytes, pattern.Skip,
                            FoldedBytes{platform::CaseFoldTable()});
  }
  return HorspoolContains(content_, pattern.Bytes, pattern.Skip, ExactBytes{});
}
