// Times the saver's precomputation on Windows: first the computation alone
// (PrecomputeFerns on the Windows heap), then the whole first-erase run as the
// saver does it: dialog thread, dialog, one synchronous message per depth level,
// until the dialog is gone. The hold of the finished dialog on a
// full-size window is reported apart, not counted.
// Usage: morv_precompute_timing [WIDTHxHEIGHT] [RUNS]
#include <windows.h>

#include <cstdio>

#include "precompute.h"
#include "progress_dialog.h"
#include "segment_store.h"

int main(int argc, char** argv) {
  int width = 1920;
  int height = 1080;
  int runs = 5;
  if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) != 2) return 2;
  if (argc > 2 && std::sscanf(argv[2], "%d", &runs) != 1) return 2;

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double holdMs = width >= morv::FullSizeMinWidth ? morv::ProgressHoldMs : 0;
  auto elapsedMs = [&](const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
  };
  double bestCompute = 1e30;
  for (int run = 0; run < runs; ++run) {
    morv::FernStore& store = morv::Store();
    const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    morv::PrecomputeFerns(store, width, height, quiet, morv::Progress());
    QueryPerformanceCounter(&end);
    const double ms = elapsedMs(start, end);
    std::printf("%dx%d computation %d: %.1f ms\n", width, height, run + 1, ms);
    if (ms < bestCompute) bestCompute = ms;
    morv::FreeFerns(store);
    store.runStarted = false;
  }
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    morv::FernStore& store = morv::Store();
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    struct Run {
      morv::FernStore* store;
      int width;
      int height;
      static morv::PrecomputeResult Compute(void* context, const morv::ProgressPort& port) {
        const Run& r = *static_cast<const Run*>(context);
        return morv::PrecomputeFerns(*r.store, r.width, r.height, port, morv::Progress());
      }
    } job{&store, width, height};
    const morv::PrecomputeResult result = morv::RunWithProgressDialog(
        width, height, morv::DialogComputation{&job, &Run::Compute});
    QueryPerformanceCounter(&end);
    const double ms = elapsedMs(start, end) - holdMs;
    const long long segments =
        morv::ChainLength(store.vertical[0]) + morv::ChainLength(store.horizontal[0]);
    std::printf("%dx%d with the dialog %d: %lld segments, %.1f ms without the %.0f ms hold%s\n",
                width, height,
                run + 1, segments, ms, holdMs,
                result.outcome == morv::PrecomputeOutcome::Completed ? "" : " (stopped)");
    if (ms < best) best = ms;
    morv::FreeFerns(store);
    store.runStarted = false;
  }
  std::printf("best: computation %.1f ms, with the dialog %.1f ms\n", bestCompute, best);
  return 0;
}
