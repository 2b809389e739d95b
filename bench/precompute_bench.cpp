// Precomputation time: the reference root walk per depth level against the
// generation-by-generation method, on common screen sizes.
#include <benchmark/benchmark.h>

#include "precompute.h"
#include "ratio_reporter.h"
#include "segment_store.h"

namespace {

void Precompute(benchmark::State& state, morv::PrecomputeMethod method) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  morv::FernStore store;
  morv::ResetFernStore(store);
  const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
  morv::ProgressState progress{};
  long long segments = 0;
  for (auto _ : state) {
    const auto result = morv::PrecomputeFerns(store, width, height, quiet, progress, method);
    benchmark::DoNotOptimize(result);
    state.PauseTiming();
    segments = morv::ChainLength(store.vertical[0]) + morv::ChainLength(store.horizontal[0]);
    morv::FreeFerns(store);
    state.ResumeTiming();
  }
  state.counters["segments"] = static_cast<double>(segments);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"w", "h"})->Args({640, 480})->Args({1920, 1080})->Args({3840, 2160});
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
}

void BM_RootWalk(benchmark::State& state) { Precompute(state, morv::PrecomputeMethod::RootWalkPerLevel); }
void BM_Generations(benchmark::State& state) { Precompute(state, morv::PrecomputeMethod::Generations); }

}  // namespace

BENCHMARK(BM_RootWalk)->Name("precompute/rootwalk")->Apply(Sizes);
BENCHMARK(BM_Generations)->Name("precompute/generations")->Apply(Sizes);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  morv::bench::RatioReporter reporter("rootwalk", "generations");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
