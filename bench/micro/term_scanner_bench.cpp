#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "search/term_scanner.h"

namespace {

// Words of German-like prose in Windows-1252; surnames appear on their own, but never after the
// first names the terms pair them with, so no term occurs and every scan reads the whole text.
const char* const kWords[] = {"der",
                              "die",
                              "das",
                              "und",
                              "in",
                              "zu",
                              "den",
                              "nicht",
                              "von",
                              "sie",
                              "ist",
                              "des",
                              "sich",
                              "mit",
                              "dem",
                              "dass",
                              "er",
                              "es",
                              "ein",
                              "auf",
                              "so",
                              "eine",
                              "auch",
                              "als",
                              "an",
                              "nach",
                              "wie",
                              "im",
                              "f\xFCr",
                              "aber",
                              "aus",
                              "durch",
                              "wenn",
                              "nur",
                              "war",
                              "noch",
                              "werden",
                              "bei",
                              "hat",
                              "wir",
                              "was",
                              "wird",
                              "\xFC"
                              "ber",
                              "sehr",
                              "Bericht",
                              "Vertrag",
                              "Rechnung",
                              "Angebot",
                              "Auftrag",
                              "Kunde",
                              "Lieferung",
                              "Abteilung",
                              "Verwaltung",
                              "Projekt",
                              "Antrag",
                              "Bescheid",
                              "Akte",
                              "Unterlagen",
                              "Schreiben",
                              "Pr\xFC"
                              "fung",
                              "\xC4nderung",
                              "\xDC"
                              "bergabe",
                              "Stra\xDF"
                              "e",
                              "gem\xE4\xDF",
                              "sch\xF6n",
                              "Gr\xFC\xDF"
                              "e",
                              "Datenschutz",
                              "Auskunft",
                              "L\xF6schung",
                              "Speicherung",
                              "Gemeinde",
                              "B\xFCrger",
                              "Mitarbeiter",
                              "Gehalt",
                              "Urlaub"};

const char* const kFirstNames[] = {"J\xFCrgen", "G\xFCnter", "Bj\xF6rn", "Hans",    "Peter",
                                   "Klaus",     "Wolfgang",  "Michael",  "Thomas",  "Andreas",
                                   "Stefan",    "Frank",     "Markus",   "Sabine",  "Petra",
                                   "Monika",    "Andrea",    "Claudia",  "Susanne", "Birgit",
                                   "Ute",       "Renate",    "Karin",    "Heike",   "Anja"};

const char* const kSurnames[] = {"M\xFCller",
                                 "Schmidt",
                                 "Schneider",
                                 "Fischer",
                                 "Weber",
                                 "Meyer",
                                 "Wagner",
                                 "Becker",
                                 "Schulz",
                                 "Hoffmann",
                                 "Sch\xE4"
                                 "fer",
                                 "Koch",
                                 "Bauer",
                                 "Richter",
                                 "Klein",
                                 "Wolf",
                                 "Schr\xF6"
                                 "der",
                                 "Neumann",
                                 "Schwarz",
                                 "Zimmermann",
                                 "Braun",
                                 "Kr\xFCger",
                                 "Hofmann",
                                 "Hartmann",
                                 "Lange",
                                 "Schmitt",
                                 "Werner",
                                 "Krause",
                                 "Meier",
                                 "Lehmann",
                                 "K\xF6hler",
                                 "K\xF6nig",
                                 "Walter",
                                 "Huber"};

std::string Prose(std::size_t size) {
  std::mt19937 random(7);
  std::string text;
  text.reserve(size + 64);
  std::size_t inSentence = 0;
  while (text.size() < size) {
    if (random() % 40 == 0) {
      text += kSurnames[random() % std::size(kSurnames)];
    } else {
      text += kWords[random() % std::size(kWords)];
    }
    if (++inSentence == 12) {
      text += ".\r\n";
      inSentence = 0;
    } else {
      text += ' ';
    }
  }
  text.resize(size);
  return text;
}

// Syllables for made-up surnames once the real ones are used up, so that every person of a
// large table has names of its own; such names do not occur in the prose.
const char* const kSyllables[] = {"ber", "g\xE4", "st",  "rin", "m\xFC", "hol",   "tz", "ke",
                                  "wal", "d\xF6", "ner", "sch", "lan",   "f\xFC", "ro", "mann"};

std::string Surname(std::size_t p) {
  const std::size_t pairs = std::size(kFirstNames) * std::size(kSurnames);
  if (p < pairs) return kSurnames[(p + p / std::size(kFirstNames)) % std::size(kSurnames)];
  std::string name = "Z";
  for (std::size_t rest = p; rest > 0; rest /= std::size(kSyllables))
    name += kSyllables[rest % std::size(kSyllables)];
  return name;
}

// persons x termsPerPerson terms: "First Last", "Last, First", "F. Last".
std::vector<std::string> Terms(std::size_t persons, std::size_t termsPerPerson) {
  std::vector<std::string> terms;
  for (std::size_t p = 0; p < persons; ++p) {
    const std::string first = kFirstNames[p % std::size(kFirstNames)];
    const std::string last = Surname(p);
    const std::string variants[] = {first + " " + last, last + ", " + first,
                                    first.substr(0, 1) + ". " + last};
    for (std::size_t t = 0; t < termsPerPerson; ++t)
      terms.push_back(variants[t % 3]);
  }
  return terms;
}

std::vector<std::vector<TermForm>> EncodedTerms(std::size_t persons, std::size_t termsPerPerson,
                                                TermMatching matching, ByteForms forms) {
  const CodePage codePage{[](std::u16string_view text) { return platform::EncodeCodePage(text); },
                          platform::CaseFoldTable()};
  std::vector<std::vector<TermForm>> terms;
  for (const std::string& bytes : Terms(persons, termsPerPerson))
    terms.push_back(EncodeTermForms(platform::DecodeCodePage(bytes), matching, codePage, forms));
  return terms;
}

ByteFold FoldFor(TermMatching matching, ByteForms forms) {
  const CodePage codePage{[](std::u16string_view text) { return platform::EncodeCodePage(text); },
                          platform::CaseFoldTable()};
  return ScanFoldFor(matching, codePage, forms);
}

// Scans 1 MB of prose in which no term occurs, with the terms in the given byte forms.
void Scan(benchmark::State& state, std::size_t persons, std::size_t termsPerPerson,
          TermMatching matching, ByteForms forms = ByteForms::AnsiOnly()) {
  static const std::string content = Prose(std::size_t{1} << 20);
  const std::size_t size =
      state.range(0) > 0 ? static_cast<std::size_t>(state.range(0)) : content.size();
  const std::string_view text(content.data(), size);
  TermScanner scanner(EncodedTerms(persons, termsPerPerson, matching, forms),
                      FoldFor(matching, forms));
  for (auto _ : state) {
    scanner.Scan(text);
    benchmark::DoNotOptimize(scanner.Occurs(0));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(size));
  state.SetLabel(scanner.Method() == ScanMethod::Automaton      ? "automaton"
                 : scanner.Method() == ScanMethod::AnchorBytes  ? "anchor bytes"
                 : scanner.Method() == ScanMethod::Fingerprints ? "fingerprints"
                                                                : "other");
}

void BM_Scan_1x1_Exact(benchmark::State& state) {
  Scan(state, 1, 1, TermMatching::Exact);
}
void BM_Scan_1x1_IgnoreCase(benchmark::State& state) {
  Scan(state, 1, 1, TermMatching::IgnoreCase);
}
void BM_Scan_5x2_Exact(benchmark::State& state) {
  Scan(state, 5, 2, TermMatching::Exact);
}
void BM_Scan_5x2_IgnoreCase(benchmark::State& state) {
  Scan(state, 5, 2, TermMatching::IgnoreCase);
}
void BM_Scan_200x3_Exact(benchmark::State& state) {
  Scan(state, 200, 3, TermMatching::Exact);
}
void BM_Scan_200x3_IgnoreCase(benchmark::State& state) {
  Scan(state, 200, 3, TermMatching::IgnoreCase);
}
void BM_Scan_5x2_IgnoreCase_AllForms(benchmark::State& state) {
  Scan(state, 5, 2, TermMatching::IgnoreCase, ByteForms::All());
}
void BM_Scan_200x3_Exact_AllForms(benchmark::State& state) {
  Scan(state, 200, 3, TermMatching::Exact, ByteForms::All());
}
void BM_Scan_200x3_IgnoreCase_AllForms(benchmark::State& state) {
  Scan(state, 200, 3, TermMatching::IgnoreCase, ByteForms::All());
}

void BM_Scan_10000x3_IgnoreCase_AllForms(benchmark::State& state) {
  Scan(state, 10000, 3, TermMatching::IgnoreCase, ByteForms::All());
}

// Building the scanner for a large person table: encoding the terms, the patterns, the automaton.
void BM_Build_10000x3_IgnoreCase_AllForms(benchmark::State& state) {
  const auto terms = EncodedTerms(10000, 3, TermMatching::IgnoreCase, ByteForms::All());
  const ByteFold fold = FoldFor(TermMatching::IgnoreCase, ByteForms::All());
  for (auto _ : state) {
    TermScanner scanner(terms, fold);
    benchmark::DoNotOptimize(scanner.CarryLength());
  }
}

// The huge-file case: one person, "Zacharias Quellenberg", in every byte form, over 64 MiB of
// prose without the name, scanned by each method that serves it (range 0: the method).
void ScanOnePersonEveryForm(benchmark::State& state, TermMatching matching) {
  static const std::string content = Prose(std::size_t{64} << 20);
  const ScanMethod methods[] = {ScanMethod::Automatic, ScanMethod::AnchorBytes,
                                ScanMethod::PortableAnchorBytes, ScanMethod::Fingerprints,
                                ScanMethod::Automaton};
  const ScanMethod method = methods[state.range(0)];
  const CodePage codePage{[](std::u16string_view text) { return platform::EncodeCodePage(text); },
                          platform::CaseFoldTable()};
  TermScanner scanner(
      {EncodeTermForms(u"Zacharias Quellenberg", matching, codePage, ByteForms::All())},
      FoldFor(matching, ByteForms::All()), method);
  for (auto _ : state) {
    scanner.Scan(content);
    benchmark::DoNotOptimize(scanner.Occurs(0));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(content.size()));
  const char* const names[] = {
      "automatic",    "no patterns",           "anchor bytes", "portable anchor bytes",
      "fingerprints", "portable fingerprints", "automaton"};
  state.SetLabel(std::string(names[static_cast<int>(scanner.Method())]) +
                 (method == ScanMethod::Automatic ? " (automatic)" : ""));
}

void BM_Scan_OnePersonEveryForm_Text(benchmark::State& state) {
  ScanOnePersonEveryForm(state, TermMatching::Exact);
}
void BM_Scan_OnePersonEveryForm_Binary(benchmark::State& state) {
  ScanOnePersonEveryForm(state, TermMatching::IgnoreCase);
}

BENCHMARK(BM_Scan_OnePersonEveryForm_Text)->DenseRange(0, 4);
BENCHMARK(BM_Scan_OnePersonEveryForm_Binary)->DenseRange(0, 4);
BENCHMARK(BM_Scan_1x1_Exact)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_1x1_IgnoreCase)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_5x2_Exact)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_5x2_IgnoreCase)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_200x3_Exact)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_200x3_IgnoreCase)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_5x2_IgnoreCase_AllForms)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_200x3_Exact_AllForms)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_200x3_IgnoreCase_AllForms)->Arg(0)->Arg(4096);
BENCHMARK(BM_Scan_10000x3_IgnoreCase_AllForms)->Arg(0)->Arg(4096);
BENCHMARK(BM_Build_10000x3_IgnoreCase_AllForms)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
