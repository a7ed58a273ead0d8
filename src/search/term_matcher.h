#pragma once

#include <cstddef>

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
