#pragma once

#include <string>
#include <vector>

#include "search/term_byte_fold.h"
#include "search/term_pattern_list.h"

/// How a TermScanner looks for its patterns; Automatic picks the fastest for the pattern set.
enum class ScanMethod {
  Automatic,
  NoPatterns,            ///< nothing to look for (only empty terms, or none)
  AnchorBytes,           ///< a few patterns: memchr or a vector search for a few rare raw bytes
  PortableAnchorBytes,   ///< the same without the processor's optional vector instructions
  Fingerprints,          ///< a few patterns: vector fingerprint test, then comparisons
  PortableFingerprints,  ///< the same test one position at a time
  Automaton,             ///< many patterns: dense Aho-Corasick automata
};

/// Whether the processor's vector instructions may be used.
enum class VectorInstructions { Available, Unavailable };

/// The method that scans these patterns (folded by fold) fastest, or the requested one where it
/// can serve them (anchor bytes need at most their pattern limit with a few rare anchor bytes,
/// fingerprints at most their pattern limit; the automaton serves any set). Never Automatic.
ScanMethod ChooseScanMethod(const PatternList& patterns, const ByteFold& fold, ScanMethod requested,
                            VectorInstructions vector);
