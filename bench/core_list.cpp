// The generator's step and the column lookup of the ship update.
#include <benchmark/benchmark.h>

#include "runtime/core/core.h"
#include "runtime/list/list.h"
#include "tests/support/program.h"

namespace {

void BM_RandomNext(benchmark::State& state) {
  RandomSeed(1);
  for (auto _ : state) benchmark::DoNotOptimize(RandomNext(255));
}
BENCHMARK(BM_RandomNext);

void BM_ListSelect160Of320(benchmark::State& state) {
  RunWithProgram([&] {
    List list{};
    ListNew(&list, 8);
    for (int i = 0; i < 320; ++i) ListAdd(&list);
    for (auto _ : state) {
      ListSelect(&list, 160);
      benchmark::DoNotOptimize(list.current);
    }
  });
}
BENCHMARK(BM_ListSelect160Of320);

}  // namespace

BENCHMARK_MAIN();
