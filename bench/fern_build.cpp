#include "fern_build.h"

#include "precompute.h"
#include "segment_store.h"

namespace MORV_BENCH_FERN_BUILD {
namespace {

morv::FernStore& BenchStore() {
  static morv::FernStore store = [] {
    morv::FernStore fresh;
    morv::ResetFernStore(fresh);
    return fresh;
  }();
  return store;
}

}  // namespace

void Precompute(int width, int height, bool rootWalk) {
  const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
  morv::ProgressState progress{};
  morv::PrecomputeFerns(BenchStore(), width, height, quiet, progress,
                        rootWalk ? morv::PrecomputeMethod::RootWalkPerLevel
                                 : morv::PrecomputeMethod::Generations);
}

std::int64_t FreeFerns() {
  morv::FernStore& store = BenchStore();
  const std::int64_t segments =
      morv::ChainLength(store.vertical[0]) + morv::ChainLength(store.horizontal[0]);
  morv::FreeFerns(store);
  return segments;
}

}  // namespace MORV_BENCH_FERN_BUILD
