#include <benchmark/benchmark.h>

#include "shell/event_pacer.h"

namespace {

// The cost of a pending-message point in the hot loop when no events are due yet.
void BM_EventPacerNothingDue(benchmark::State& state) {
  EventPacer pacer(1000 * 1000);
  pacer.Due();  // starts the interval; every later call finds nothing due
  for (auto _ : state)
    benchmark::DoNotOptimize(pacer.Due());
}
BENCHMARK(BM_EventPacerNothingDue);

}  // namespace
