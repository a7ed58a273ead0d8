#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "search/term_byte_fold.h"
#include "search/term_match_sink.h"

/// One way of finding a set of folded patterns in a content. A matcher reports each occurrence
/// of a pattern that is not yet resolved to the sink, with the whole content around it, and may
/// stop once the sink has found every term.
class TermMatcher {
 public:
  virtual ~TermMatcher() = default;
  /// Reports the occurrences of the patterns in data[0, size).
  virtual void Scan(const unsigned char* data, std::size_t size, MatchSink& sink) = 0;
};

/// What comparing one pattern with the content found.
enum class Comparison { Differs, Reported, AllFound };

/// Compares pattern (folded by fold), one of whose bytes stands offset bytes into it, with the
/// content whose byte at position is that byte, and reports an occurrence under id. Skips a
/// pattern already resolved or one that does not fit in the content there.
inline Comparison CompareAt(const ByteFold& fold, std::string_view pattern, std::size_t offset,
                            std::uint32_t id, const unsigned char* data, std::size_t size,
                            std::size_t position, MatchSink& sink) {
  if (position < offset || sink.Resolved(id)) return Comparison::Differs;
  const std::size_t start = position - offset;
  if (pattern.size() > size - start || !FoldedEqual(fold, pattern, data + start))
    return Comparison::Differs;
  return sink.Report(id, data, size, start) ? Comparison::AllFound : Comparison::Reported;
}
