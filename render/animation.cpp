#include "animation.h"

namespace morv {
namespace {

AnimationState g_animation = {0, Vertical, 0, 0, 0, NormalTickMs, 0, 0, StartColor};

// A surface without area shows nothing, and its mapping would divide by zero.
bool HasArea(const AnimationState& state) {
  return state.clientWidth > 0 && state.clientHeight > 0;
}

// Level count of the fern the orientation selects, kept within the table.
int LevelCountOf(const AnimationState& state) {
  const int n = state.orientation == Vertical ? state.verticalLevels : state.horizontalLevels;
  if (n < 0) return 0;
  return n < MaxFernLevels ? n : MaxFernLevels;
}

}  // namespace

AnimationState& Animation() { return g_animation; }

void ResetAnimation(AnimationState& state) {
  state = AnimationState{0, Vertical, 0, 0, 0, NormalTickMs, 0, 0, StartColor};
}

void StartAnimation(AnimationState& state, int clientWidth, int clientHeight, bool fastMadness) {
  state.clientWidth = clientWidth;
  state.clientHeight = clientHeight;
  state.tickIntervalMs = fastMadness ? FastTickMs : NormalTickMs;
  state.color = StartColor;
  state.pauseCounter = 0;
}

void ApplyPrecomputeResult(AnimationState& state, const PrecomputeResult& result) {
  state.verticalLevels = result.verticalLevels;
  state.horizontalLevels = result.horizontalLevels;
  if (result.outcome == PrecomputeOutcome::Completed) {
    state.orientation = Vertical;
    state.currentDepth = 0;
  } else {
    // The run stopped before this level; what it computed is drawn from here
    // on, and the end-of-fern test copes with a level beyond this fern's end.
    state.currentDepth = result.depthLevel;
  }
}

int PauseCounterStart(int tickIntervalMs) {
  if (tickIntervalMs <= 0) return 0;  // never set up: no pause rather than a division by zero
  return -FernPauseMs / tickIntervalMs;
}

TickKind AnimationTick(AnimationState& state, const FernStore& store, DrawSink& sink) {
  if (state.pauseCounter < 0) {
    ++state.pauseCounter;
    return TickKind::Pause;
  }
  // At or beyond the end: a stopped precomputation can leave the depth level
  // past the last level of the fern the orientation selects.
  if (state.currentDepth >= GrowthPhases * LevelCountOf(state)) {
    state.currentDepth = 0;
    state.orientation = static_cast<std::uint8_t>((state.orientation + 1) & 1);
    state.pauseCounter = PauseCounterStart(state.tickIntervalMs);
    return TickKind::EndOfFern;
  }
  if (state.currentDepth == 0) sink.Clear();
  sink.Color(state.color.red, state.color.green, state.color.blue);
  DrawDepthLevel(state, store, sink, state.currentDepth);
  StepDrawColor(state.color);
  ++state.currentDepth;
  return TickKind::Drawing;
}

void DrawDepthLevel(const AnimationState& state, const FernStore& store, DrawSink& sink, int d) {
  // Reads slot d only within 0..249, and only the records of level d.
  ForEachSegmentInLevel(TableFor(store, state.orientation), d, [&](const Segment& s) {
    if (s.tipFraction == 0) {
      DrawSegment(state, sink, s.startX, s.startY, s.endX, s.endY);
    } else {
      DrawPartialSegment(state, sink, s.startX, s.startY, s.endX, s.endY, s.tipFraction);
    }
  });
  sink.Flush();
}

double DeviceX(const AnimationState& state, int x) {
  return (2.0 * x) / state.clientWidth - 1;
}

double DeviceY(const AnimationState& state, int y) {
  return 1 - (2.0 * y) / state.clientHeight;
}

void DrawSegment(const AnimationState& state, DrawSink& sink, int startX, int startY, int endX,
                 int endY) {
  if (!HasArea(state)) return;
  sink.Line(DeviceX(state, startX), DeviceY(state, startY), DeviceX(state, endX),
            DeviceY(state, endY));
}

void DrawPartialSegment(const AnimationState& state, DrawSink& sink, int startX, int startY,
                        int endX, int endY, int tipFraction) {
  if (!HasArea(state)) return;
  const double x1 = DeviceX(state, startX);
  const double y1 = DeviceY(state, startY);
  const double x2 = DeviceX(state, endX);
  const double y2 = DeviceY(state, endY);
  // Interpolated between the mapped end points: multiplied first, divided after.
  const double f = tipFraction;
  const double xe = f * (x2 - x1) / 5.0 + x1;
  const double ye = f * (y2 - y1) / 5.0 + y1;
  sink.Line(x1, y1, xe, ye);
}

}  // namespace morv
