#include <benchmark/benchmark.h>

#include "run/person_order.h"

namespace {

// The list sort's order for N persons without hits (all ties), as after a configuration of N NAME
// lines without terms and no files; the time per person must not grow with N.
void BM_PickOrderAllTies(benchmark::State& state) {
  const std::vector<std::int32_t> counts(static_cast<std::size_t>(state.range(0)), 0);
  for (auto _ : state)
    benchmark::DoNotOptimize(PickOrder(counts));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PickOrderAllTies)->RangeMultiplier(10)->Range(1000, 1000000);

}  // namespace
