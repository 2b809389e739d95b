// Starting the ferns on a surface: the one sequence every front end runs when its
// surface gets a size, at start-up and after each resize.
#pragma once

#include "animation.h"
#include "draw_sink.h"
#include "precompute.h"
#include "segment_store.h"

namespace morv {

struct FernStart {
  int width;   // the surface, in pixels
  int height;
  bool fastMadness;
};

// Frees the ferns `store` holds and the sink's line buffer, starts the
// animation afresh for the surface, computes both ferns for it through
// `port`, starts the animation on them at level 0 of the vertical fern, and
// sizes the sink for the largest level, so that no tick allocates. A stopped
// run (aborted, out of memory) is applied like a complete one: what it
// computed shows. Returns the precomputation's result.
PrecomputeResult StartFerns(FernStore& store, AnimationState& animation, DrawSink& sink,
                            const FernStart& start, const ProgressPort& port,
                            ProgressState& progress);

// One distinct surface size and the store for its ferns.
struct SizedStore {
  int width;
  int height;
  FernStore* store;
};

// The same start for surfaces of several sizes, in one run: frees every store
// and the sink's buffer, computes the sizes one after the other, each into its
// own store, and sizes the sink for the largest level of them all. One port
// shows the whole run: each progress line counts the generations of its fern
// over all sizes, out of the sum of their level counts. A size that stops
// keeps what it computed, as a single surface's run does, and the sizes after
// it still run (after an abort they stop before their first level). results[i]
// gets size i's result, for the animations that show it. Returns the first
// result that stopped, else the first size's.
PrecomputeResult StartFernSizes(const SizedStore* sizes, int count, PrecomputeResult* results,
                                DrawSink& sink, const ProgressPort& port,
                                ProgressState& progress);

}  // namespace morv
