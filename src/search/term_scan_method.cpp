#include "search/term_scan_method.h"

#include <numeric>

#include "search/term_fingerprints.h"
#include "search/term_single_byte.h"

namespace {

// memchr pays off when the anchor byte is rarer than this in typical text.
constexpr double kSingleByteRateLimit = 0.006;

// A candidate rate above which stepping through the automaton is cheaper than comparing bytes
// at every fitting fingerprint.
constexpr double kFingerprintRateLimit = 0.02;

}  // namespace

ScanMethod ChooseScanMethod(const PatternList& patterns, const ByteFold& fold, ScanMethod requested,
                            VectorInstructions vector) {
  if (patterns.empty()) return ScanMethod::NoPatterns;
  if (requested == ScanMethod::Automatic || requested == ScanMethod::SingleByte) {
    const auto anchor =
        patterns.size() == 1 ? FindAnchor(std::string(patterns[0]), fold) : std::nullopt;
    if (anchor && (requested == ScanMethod::SingleByte || anchor->rate <= kSingleByteRateLimit))
      return ScanMethod::SingleByte;
  }
  const bool fewPatterns = patterns.size() <= TermFingerprints::kMaxPatterns;
  const bool vectorTest = vector == VectorInstructions::Available;
  if (requested == ScanMethod::Automatic && fewPatterns && vectorTest) {
    std::vector<std::uint32_t> ids(patterns.size());
    std::iota(ids.begin(), ids.end(), 0u);
    const TermFingerprints probe(patterns.Strings(), ids, fold, FingerprintSimd::WhenAvailable);
    if (probe.CandidateRate() <= kFingerprintRateLimit) return ScanMethod::Fingerprints;
  }
  if (fewPatterns && requested == ScanMethod::Fingerprints)
    return vectorTest ? ScanMethod::Fingerprints : ScanMethod::PortableFingerprints;
  if (fewPatterns && requested == ScanMethod::PortableFingerprints)
    return ScanMethod::PortableFingerprints;
  return ScanMethod::Automaton;
}
