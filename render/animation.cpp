#include "animation.h"

#include <cfloat>

namespace morv {
namespace {

AnimationState g_animation = {0, Vertical, 0, 0, 0, NormalTickMs, 0, 0, StartColor};

// A surface without area shows nothing, and its mapping would divide by zero.
bool HasArea(const AnimationState& state) {
  return state.clientWidth > 0 && state.clientHeight > 0;
}

// Device coordinates of the part of a segment that is shown.
struct DeviceLine {
  double x1, y1, x2, y2;
};

// Maps both end points; a partial line then ends f fifths of the way, the
// difference multiplied by f first and divided by 5 after.
DeviceLine MapLine(const AnimationState& state, int startX, int startY, int endX, int endY,
                   bool partial, int tipFraction) {
  DeviceLine line = {DeviceX(state, startX), DeviceY(state, startY), DeviceX(state, endX),
                     DeviceY(state, endY)};
  if (partial) {
    const double f = tipFraction;
    line.x2 = f * (line.x2 - line.x1) / 5.0 + line.x1;
    line.y2 = f * (line.y2 - line.y1) / 5.0 + line.y1;
  }
  return line;
}

#if FLT_EVAL_METHOD != 0 && defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
// The x87 unit of the 32-bit build keeps 64 mantissa bits, and a quotient
// rounded first to those and then to a double can miss the double that SSE
// computes by one unit in the last place. With the precision control set to
// 53 bits every step rounds as a double's does. The mapping runs in a call
// that the compiler can move neither across the control-word changes nor
// into the caller.
#ifdef __clang__
__attribute__((noinline))
#else
__attribute__((noipa))
#endif
DeviceLine MapLineOnX87(const AnimationState& state, int startX, int startY, int endX, int endY,
                        bool partial, int tipFraction) {
  return MapLine(state, startX, startY, endX, endY, partial, tipFraction);
}

DeviceLine MapLineAsDoubles(const AnimationState& state, int startX, int startY, int endX,
                            int endY, bool partial, int tipFraction) {
  unsigned short saved = 0;
  __asm__ volatile("fnstcw %0" : "=m"(saved) : : "memory");
  const unsigned short doubles = static_cast<unsigned short>((saved & ~0x0300u) | 0x0200u);
  __asm__ volatile("fldcw %0" : : "m"(doubles) : "memory");
  const DeviceLine line = MapLineOnX87(state, startX, startY, endX, endY, partial, tipFraction);
  __asm__ volatile("fldcw %0" : : "m"(saved) : "memory");
  return line;
}
#else
DeviceLine MapLineAsDoubles(const AnimationState& state, int startX, int startY, int endX,
                            int endY, bool partial, int tipFraction) {
  return MapLine(state, startX, startY, endX, endY, partial, tipFraction);
}
#endif

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

int TickIntervalMs(bool fastMadness) { return fastMadness ? FastTickMs : NormalTickMs; }

void StartAnimation(AnimationState& state, int clientWidth, int clientHeight, bool fastMadness) {
  state.clientWidth = clientWidth;
  state.clientHeight = clientHeight;
  state.tickIntervalMs = TickIntervalMs(fastMadness);
  state.color = StartColor;
  state.pauseCounter = 0;
}

void ApplyPrecomputeResult(AnimationState& state, const PrecomputeResult& result) {
  state.verticalLevels = result.verticalLevels;
  state.horizontalLevels = result.horizontalLevels;
  // Whatever the outcome, the first tick that draws starts the vertical fern
  // at level 0, and so clears the screen. A stopped run (abort or out of
  // memory) has kept every complete level below the one it stopped at; those
  // show at once, and the levels it never computed draw nothing. Resuming at
  // the stop instead would leave the screen black, or uncleared, for as long
  // as the missing levels take.
  state.orientation = Vertical;
  state.currentDepth = 0;
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
  // At or beyond the end, so that no state, however it was reached, reads a
  // slot past the fern the orientation selects.
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
  const DeviceLine line = MapLineAsDoubles(state, startX, startY, endX, endY, false, 0);
  sink.Line(line.x1, line.y1, line.x2, line.y2);
}

void DrawPartialSegment(const AnimationState& state, DrawSink& sink, int startX, int startY,
                        int endX, int endY, int tipFraction) {
  if (!HasArea(state)) return;
  // Interpolated between the mapped end points, not in pixels.
  const DeviceLine line =
      MapLineAsDoubles(state, startX, startY, endX, endY, true, tipFraction);
  sink.Line(line.x1, line.y1, line.x2, line.y2);
}

}  // namespace morv
