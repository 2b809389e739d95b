// Drawing time of the largest depth level on large screens: every line in its
// own glBegin/glEnd against one vertex-array draw per level. Each iteration is
// what one tick draws (mapping, lines, glFlush) and glFinish, so the time the
// rasteriser takes is counted too. The "submit-only" pair draws the same with
// the rasteriser discarding everything (GL_RASTERIZER_DISCARD, where the driver
// has it): what is left is the cost of handing the lines to OpenGL.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "animation.h"
#include "gl_sink.h"
#include "headless_gl.h"
#include "level_stats.h"
#include "precompute.h"
#include "ratio_reporter.h"
#include "segment_store.h"

namespace {

// Both ferns for one screen size, and where their largest level is.
struct Ferns {
  morv::FernStore store;
  morv::PrecomputeResult result;
  std::uint8_t orientation = morv::Vertical;
  int depth = 0;
  std::int64_t segments = 0;
};

const Ferns& FernsFor(int width, int height) {
  static std::map<std::pair<int, int>, std::unique_ptr<Ferns>> cache;
  auto& ferns = cache[{width, height}];
  if (!ferns) {
    ferns = std::make_unique<Ferns>();
    morv::ResetFernStore(ferns->store);
    const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
    morv::ProgressState progress{};
    ferns->result = morv::PrecomputeFerns(ferns->store, width, height, quiet, progress);
    for (std::uint8_t o : {morv::Vertical, morv::Horizontal}) {
      for (int d = 0; d < morv::DepthIndexSlots; ++d) {
        std::int64_t count = 0;
        morv::ForEachSegmentInLevel(morv::TableFor(ferns->store, o), d,
                                    [&count](const morv::Segment&) { ++count; });
        if (count > ferns->segments) {
          ferns->segments = count;
          ferns->orientation = o;
          ferns->depth = d;
        }
      }
    }
  }
  return *ferns;
}

// Not in OpenGL 1.1's header; only the benchmark uses it.
constexpr GLenum RasterizerDiscard = 0x8C89;

// The timed loop, on a current context of the ferns' size.
void DrawOnSurface(benchmark::State& state, const Ferns& ferns, int width, int height,
                   morv::GlSink::Mode mode, bool rasterize) {
  morv::AnimationState animation;
  morv::ResetAnimation(animation);
  morv::StartAnimation(animation, width, height, true);
  morv::ApplyPrecomputeResult(animation, ferns.result);
  animation.orientation = ferns.orientation;
  morv::GlSink sink(mode);
  sink.Reserve(morv::LargestLevelSegments(ferns.store));
  sink.Color(0, 255, 0);
  if (!rasterize) {
    glEnable(RasterizerDiscard);
    if (glGetError() != GL_NO_ERROR) {
      state.SkipWithError("no GL_RASTERIZER_DISCARD");
      return;
    }
  }
  for (auto _ : state) {
    morv::DrawDepthLevel(animation, ferns.store, sink, ferns.depth);
    glFinish();
  }
  state.counters["segments"] = static_cast<double>(ferns.segments);
  state.SetItemsProcessed(state.iterations() * ferns.segments);
}

void DrawLargestLevel(benchmark::State& state, morv::GlSink::Mode mode, bool rasterize) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const Ferns& ferns = FernsFor(width, height);
  morv::HeadlessGl gl{};
  std::string error;
  if (!morv::CreateHeadlessGl(gl, width, height, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  DrawOnSurface(state, ferns, width, height, mode, rasterize);
  morv::DestroyHeadlessGl(gl);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"w", "h"})->Args({1920, 1080})->Args({3840, 2160});
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
}

void BM_PerSegment(benchmark::State& state) {
  DrawLargestLevel(state, morv::GlSink::PerSegment, true);
}
void BM_Batched(benchmark::State& state) { DrawLargestLevel(state, morv::GlSink::Batched, true); }
void BM_PerSegmentSubmit(benchmark::State& state) {
  DrawLargestLevel(state, morv::GlSink::PerSegment, false);
}
void BM_BatchedSubmit(benchmark::State& state) {
  DrawLargestLevel(state, morv::GlSink::Batched, false);
}

}  // namespace

BENCHMARK(BM_PerSegment)->Name("draw/persegment")->Apply(Sizes);
BENCHMARK(BM_Batched)->Name("draw/batched")->Apply(Sizes);
BENCHMARK(BM_PerSegmentSubmit)->Name("draw/persegment/submit-only")->Apply(Sizes);
BENCHMARK(BM_BatchedSubmit)->Name("draw/batched/submit-only")->Apply(Sizes);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  morv::bench::RatioReporter reporter("persegment", "batched");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
