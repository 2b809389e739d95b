// Precomputation time of both ferns for a screen size, in one run and side by
// side: the SSE2 build, the x87 build (the arithmetic of the shipping 32-bit
// saver) and the floor, one fresh allocation of the same record bytes written
// once. The reference root walk per depth level runs when a filter names it:
//   morv_bench_precompute --benchmark_filter=.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "fern_build.h"
#include "segment_store.h"

namespace {

using Size = std::pair<int, int>;

Size SizeOf(const benchmark::State& state) {
  return {static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
}

template <void (*Precompute)(int, int, bool), std::int64_t (*FreeFerns)(), bool RootWalk>
void BM_Precompute(benchmark::State& state) {
  const Size size = SizeOf(state);
  std::int64_t segments = 0;
  for (auto _ : state) {
    Precompute(size.first, size.second, RootWalk);
    state.PauseTiming();
    segments = FreeFerns();
    state.ResumeTiming();
  }
  state.counters["segments"] = static_cast<double>(segments);
}

std::int64_t SegmentsAt(const Size& size) {
  static std::map<Size, std::int64_t> known;
  const auto found = known.find(size);
  if (found != known.end()) return found->second;
  fern_sse2::Precompute(size.first, size.second, false);
  return known[size] = fern_sse2::FreeFerns();
}

void BM_Floor(benchmark::State& state) {
  const Size size = SizeOf(state);
  const std::size_t bytes = static_cast<std::size_t>(SegmentsAt(size)) * sizeof(morv::Segment);
  for (auto _ : state) {
    void* records = std::malloc(bytes);
    if (records == nullptr) {
      state.SkipWithError("out of memory");
      break;
    }
    std::memset(records, 0xA5, bytes);
    benchmark::DoNotOptimize(records);
    benchmark::ClobberMemory();
    state.PauseTiming();
    std::free(records);
    state.ResumeTiming();
  }
  state.counters["segments"] = static_cast<double>(SegmentsAt(size));
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"w", "h"})->Args({640, 480})->Args({1920, 1080})->Args({3840, 2160});
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.05);
  b->ComputeStatistics("min", [](const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
  });
}

// Google Benchmark's table, then one line per screen size with the best time of
// each build and the ratios that the targets are about.
class SideBySideReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "min") continue;
      const std::string& name = run.run_name.function_name;  // "precompute/<build>"
      Size size{0, 0};
      std::sscanf(run.run_name.args.c_str(), "w:%d/h:%d", &size.first, &size.second);
      Row& row = rows_[size];
      row.ms[name.substr(name.find('/') + 1)] = run.GetAdjustedRealTime();
      const auto segments = run.counters.find("segments");
      if (segments != run.counters.end()) row.segments = segments->second.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nbest of the repetitions, ms\n");
    std::printf("%-11s %10s %9s %9s %9s %9s %10s %10s\n", "screen", "segments", "SSE2", "x87",
                "floor", "rootwalk", "x87/SSE2", "SSE2/floor");
    for (const auto& [size, row] : rows_) {
      char screen[32];
      std::snprintf(screen, sizeof screen, "%dx%d", size.first, size.second);
      std::printf("%-11s %10.0f %9s %9s %9s %9s %10s %10s\n", screen, row.segments,
                  Ms(row, "sse2").c_str(), Ms(row, "x87").c_str(), Ms(row, "floor").c_str(),
                  Ms(row, "rootwalk").c_str(), Ratio(row, "x87", "sse2").c_str(),
                  Ratio(row, "sse2", "floor").c_str());
    }
    std::printf("targets: x87/SSE2 at most 1.3 at 1920x1080 and 3840x2160; "
                "SSE2/floor at most 6 at 3840x2160\n");
  }

 private:
  struct Row {
    double segments = 0;
    std::map<std::string, double> ms;
  };
  static std::string Ms(const Row& row, const char* build) {
    const auto found = row.ms.find(build);
    if (found == row.ms.end()) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", found->second);
    return text;
  }
  static std::string Ratio(const Row& row, const char* over, const char* under) {
    const auto a = row.ms.find(over);
    const auto b = row.ms.find(under);
    if (a == row.ms.end() || b == row.ms.end() || b->second <= 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", a->second / b->second);
    return text;
  }
  std::map<Size, Row> rows_;
};

}  // namespace

BENCHMARK(BM_Precompute<fern_sse2::Precompute, fern_sse2::FreeFerns, false>)
    ->Name("precompute/sse2")
    ->Apply(Sizes);
#if MORV_BENCH_X87  // an x86-64 GCC host builds the x87 copy
BENCHMARK(BM_Precompute<fern_x87::Precompute, fern_x87::FreeFerns, false>)
    ->Name("precompute/x87")
    ->Apply(Sizes);
#endif
BENCHMARK(BM_Floor)->Name("precompute/floor")->Apply(Sizes);
BENCHMARK(BM_Precompute<fern_sse2::Precompute, fern_sse2::FreeFerns, true>)
    ->Name("precompute/rootwalk")
    ->Apply(Sizes);

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Every build and the floor write memory that the process has written
  // before: freed memory stays in the heap. A fresh page costs a page fault,
  // which on a shared virtual machine takes anywhere from a quarter of a
  // microsecond to tens of them (10 ms to a second for the 156 MB of 3840x2160)
  // and would drown the comparison.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 0x7fffffff);
#endif
  // By default the three builds, 25 short repetitions each, shuffled together so that
  // a busy machine slows them alike; the reference walk (seconds a size) on
  // request. Options given on the command line come after these, and win.
  std::vector<char*> args(argv, argv + argc);
  char filter[] = "--benchmark_filter=-rootwalk";
  char repetitions[] = "--benchmark_repetitions=25";
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  char aggregates[] = "--benchmark_report_aggregates_only=true";
  args.insert(args.begin() + 1, {filter, repetitions, interleave, aggregates});
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  SideBySideReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
