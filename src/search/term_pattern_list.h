#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Byte patterns stored one after the other in one buffer: a few bytes of bookkeeping per
/// pattern, where a string each would cost an allocation.
class PatternList {
 public:
  /// Number of patterns.
  std::size_t size() const { return starts_.size() - 1; }
  /// True when there is no pattern.
  bool empty() const { return starts_.size() == 1; }
  /// Pattern number i.
  std::string_view operator[](std::size_t i) const {
    return std::string_view(bytes_).substr(starts_[i], starts_[i + 1] - starts_[i]);
  }
  /// Adds a pattern at the end; the total length stays below 4 GiB.
  void push_back(std::string_view pattern) {
    bytes_.append(pattern);
    starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
  }
  /// Every pattern as a string of its own, for matchers that take a few.
  std::vector<std::string> Strings() const {
    std::vector<std::string> strings;
    strings.reserve(size());
    for (std::size_t i = 0; i < size(); ++i)
      strings.emplace_back((*this)[i]);
    return strings;
  }

 private:
  std::string bytes_;
  std::vector<std::uint32_t> starts_{0};
};
