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
// Back to the process-start state: vertical, depth 0, no pause, no levels,
// no size; the normal tick interval and the start colour, so that even a
// state nobody has set up ticks safely.
void ResetAnimation(AnimationState& state);

// The tick interval for the "Fast Madness" setting.
int TickIntervalMs(bool fastMadness);

// What a saver window's creation sets: its client size, the tick interval for
// the "Fast Madness" setting, the start colour and no pause. The orientation,
// the current depth level and the level counts stay as they are.
void StartAnimation(AnimationState& state, int clientWidth, int clientHeight, bool fastMadness);

// Takes over the level counts of a precomputation run and starts the
// animation at level 0 of the vertical fern, whether the run completed or
// stopped (aborted or out of memory): the result keeps where a run stopped,
// the animation shows what it kept from the start. The pause counter is left
// to the timer.
void ApplyPrecomputeResult(AnimationState& state, const PrecomputeResult& result);

// Pause ticks between two ferns, as the negative start of the pause counter:
// -4000 / interval, truncated (-80 at 50 ms, -400 at 10 ms).
int PauseCounterStart(int tickIntervalMs);

enum class TickKind { Pause, EndOfFern, Drawing };

// One WM_TIMER tick. Returns which of the three it was (for tests and tools;
// the window procedure ignores it).
TickKind AnimationTick(AnimationState& state, const FernStore& store, DrawSink& sink);

// Draws every Segment of level d of the fern the orientation selects, then
// flushes once, also when the level is empty or d lies outside 0..249.
void DrawDepthLevel(const AnimationState& state, const FernStore& store, DrawSink& sink, int d);
void DrawSegment(const AnimationState& state, DrawSink& sink, int startX, int startY, int endX,
                 int endY);
void DrawPartialSegment(const AnimationState& state, DrawSink& sink, int startX, int startY,
                        int endX, int endY, int tipFraction);

// Client pixels to normalised device coordinates, on the stored client size:
// X = (2x) / width - 1, Y = 1 - (2y) / height. The drawing functions above
// round every step of the mapping to double on every build, x87 included.
double DeviceX(const AnimationState& state, int x);
double DeviceY(const AnimationState& state, int y);

}  // namespace morv
