#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "search/term_byte_fold.h"
#include "search/term_forms.h"
#include "search/term_match_sink.h"
#include "search/term_pattern_list.h"

/// The literal byte patterns that stand for a list of terms, as the matchers look for them.
struct PatternSet {
  PatternList patterns;  ///< distinct, non-empty, folded by the fold
  /// What the patterns stand for, pattern by pattern: pattern p's are the outputs from
  /// outputStart[p] to outputStart[p + 1].
  std::vector<PatternOutput> outputs;
  std::vector<std::uint32_t> outputStart;  ///< one more than there are patterns
  std::vector<FormCheck> checks;           ///< referred to by outputs
  std::vector<std::uint32_t> emptyTerms;   ///< terms with an empty form
  std::size_t longestForm = 0;             ///< bytes of the longest string any form can match
};

/// At most this many patterns stand for one form of one term; a form with more case variants is
/// anchored on the variants of a prefix and checked whole where one occurs.
inline constexpr std::size_t kVariantLimit = 16;

/// Turns term forms into a PatternSet one at a time, so that the forms of all terms need not
/// be held at once.
class PatternSetBuilder {
 public:
  /// Patterns folded by fold, at most variantLimit per form.
  explicit PatternSetBuilder(const ByteFold& fold, std::size_t variantLimit = kVariantLimit);
  /// Adds one form of term number term (see BuildPatternSet).
  void Add(std::uint32_t term, const TermForm& form);
  /// The set built so far; the builder is empty afterwards.
  PatternSet Take();

 private:
  using FoldClasses = std::array<std::vector<unsigned char>, 256>;
  struct Entry {
    PatternOutput output;
    std::uint32_t pattern;
    std::uint32_t previous;  ///< the pattern's entry before this one, or kNone
  };
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  struct Slot {
    std::uint32_t hash;
    std::uint32_t pattern;  ///< kNone: empty
  };
  void Expand(const std::vector<std::vector<std::string>>& units, std::size_t next,
              const PatternOutput& output);
  std::uint32_t Intern(const std::string& pattern);

  ByteFold fold_;
  FoldClasses others_;  ///< per byte: the other bytes that fold alike
  std::size_t limit_;
  PatternSet set_;
  std::vector<Entry> entries_;       ///< every output, in the order they were added
  std::vector<std::uint32_t> last_;  ///< per pattern: its last entry
  std::vector<Slot> slots_;          ///< open addressing: the patterns by hash
  std::string prefix_;               ///< the pattern being expanded
};

/// Turns the forms of every term into patterns folded by fold. A unit's strings that fold alike
/// share one pattern; the others multiply into case variants. Where fold would let a pattern
/// match bytes its form does not allow (a UTF-16 unit such as 41 01 folds like 61 01), or the
/// variants pass variantLimit, the pattern carries a check of the whole form, so the set finds
/// exactly what the forms allow.
PatternSet BuildPatternSet(const std::vector<std::vector<TermForm>>& terms, const ByteFold& fold,
                           std::size_t variantLimit = kVariantLimit);
