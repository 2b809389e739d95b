// The animation: one depth level of the current fern per timer tick, a pause
// between ferns, and the colour stepping along the cycle.
#pragma once

#include <cstdint>

#include "color.h"
#include "draw_sink.h"
#include "precompute.h"
#include "segment_store.h"

namespace morv {

constexpr int NormalTickMs = 50;
constexpr int FastTickMs = 10;
constexpr int FernPauseMs = 4000;

// The animation state record: every value the ticks and the precomputation share.
struct AnimationState {
  int currentDepth;           // the DepthIndex slot the next drawing tick draws
  std::uint8_t orientation;   // FernOrientation of the fern being drawn
  int pauseCounter;           // negative while the pause between ferns runs
  int verticalLevels;
  int horizontalLevels;
  int tickIntervalMs;
  int clientWidth;
  int clientHeight;
  DrawColor color;
};

AnimationState& Animation();
void ResetAnimation(AnimationState& state);

// Takes over the level counts and the state a precomputation run leaves.
void ApplyPrecomputeResult(AnimationState& state, const PrecomputeResult& result);

// One WM_TIMER tick.
void AnimationTick(AnimationState& state, const FernStore& store, DrawSink& sink);

// Draws every Segment of level d of the fern the orientation selects, then flushes.
void DrawDepthLevel(const AnimationState& state, const FernStore& store, DrawSink& sink, int d);
void DrawSegment(const AnimationState& state, DrawSink& sink, int startX, int startY, int endX,
                 int endY);
void DrawPartialSegment(const AnimationState& state, DrawSink& sink, int startX, int startY,
                        int endX, int endY, int tipFraction);

}  // namespace morv
