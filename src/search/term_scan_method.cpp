#include "search/term_scan_method.h"

#include <numeric>
#include <optional>

#include "search/term_anchor_bytes.h"
#include "search/term_fingerprints.h"

namespace {

// Anchor bytes pay off against the fingerprints (about 17 GB/s on German prose) while they are
// rarer than this in typical text: memchr for one byte, the vector search for two to four, which
// costs a little more per candidate.
constexpr double kSingleAnchorRateLimit = 0.006;
constexpr double kVectorAnchorRateLimit = 0.005;

// Without the optional vector instructions the alternative is the automaton (about 1.5 GB/s):
// even frequent anchors beat it.
constexpr double kPortableAnchorRateLimit = 0.015;

// A candidate rate above which stepping through the automaton is cheaper than comparing bytes
// at every fitting fingerprint.
constexpr double kFingerprintRateLimit = 0.02;

std::optional<AnchorChoice> Anchors(const PatternList& patterns, const ByteFold& fold) {
  if (patterns.size() > AnchorBytesMatcher::kMaxPatterns) return std::nullopt;
  return ChooseAnchors(patterns.Strings(), fold);
}

}  // namespace

ScanMethod ChooseScanMethod(const PatternList& patterns, const ByteFold& fold, ScanMethod requested,
                            VectorInstructions vector) {
  if (patterns.empty()) return ScanMethod::NoPatterns;
  const bool vectorTest = vector == VectorInstructions::Available;
  std::optional<AnchorChoice> anchors;
  if (requested == ScanMethod::Automatic || requested == ScanMethod::AnchorBytes ||
      requested == ScanMethod::PortableAnchorBytes) {
    anchors = Anchors(patterns, fold);
    if (anchors && requested != ScanMethod::Automatic) return requested;
    const double limit = !vectorTest                           ? kPortableAnchorRateLimit
                         : anchors && anchors->raw.size() == 1 ? kSingleAnchorRateLimit
                                                               : kVectorAnchorRateLimit;
    if (anchors && anchors->rate <= limit) return ScanMethod::AnchorBytes;
  }
  const bool fewPatterns = patterns.size() <= TermFingerprints::kMaxPatterns;
  if (requested == ScanMethod::Automatic && fewPatterns && vectorTest) {
    std::vector<std::uint32_t> ids(patterns.size());
    std::iota(ids.begin(), ids.end(), 0u);
    const TermFingerprints probe(patterns.Strings(), ids, fold, FingerprintSimd::WhenAvailable);
    // Anchor bytes no more frequent than fitting fingerprints are found faster.
    if (anchors && anchors->rate <= probe.CandidateRate()) return ScanMethod::AnchorBytes;
    if (probe.CandidateRate() <= kFingerprintRateLimit) return ScanMethod::Fingerprints;
  }
  if (fewPatterns && requested == ScanMethod::Fingerprints)
    return vectorTest ? ScanMethod::Fingerprints : ScanMethod::PortableFingerprints;
  if (fewPatterns && requested == ScanMethod::PortableFingerprints)
    return ScanMethod::PortableFingerprints;
  return ScanMethod::Automaton;
}
