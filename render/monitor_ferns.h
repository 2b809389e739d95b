// A window over several monitors: each monitor shows its own pair of ferns,
// placed and sized for its rectangle as if it were the whole screen. Monitors
// of one size share one computation; each has its own animation, so that its
// picture at every tick is the one a screen of that size shows.
#pragma once

#include "animation.h"
#include "draw_sink.h"
#include "precompute.h"
#include "segment_store.h"

namespace morv {

// Monitors looked at; any beyond are left black.
constexpr int MaxMonitors = 16;

// A rectangle in pixels: left and top inside, right and bottom just outside.
struct PixelRect {
  int left;
  int top;
  int right;
  int bottom;
};

// One monitor's picture in the window's client area (origin top-left, y down)
// and which of the layout's distinct sizes it is.
struct MonitorPlace {
  int x;
  int y;
  int width;
  int height;
  int size;
};

struct PictureSize {
  int width;
  int height;
};

struct MonitorLayout {
  int count;  // pictures; 0 before any layout is taken
  MonitorPlace places[MaxMonitors];
  int sizeCount;
  PictureSize sizes[MaxMonitors];  // distinct, in the order the monitors first use them
};

// Places the pictures of a window whose client area is `client` (screen
// coordinates, so possibly negative) on `monitors` (screen coordinates, as the
// platform lists them). Each monitor keeps its part of the client area; a
// monitor outside it, or a second one on the same rectangle, draws nothing.
// With fewer than two such monitors the whole client area is the one picture,
// as on a single screen.
MonitorLayout PlaceMonitors(const PixelRect& client, const PixelRect* monitors, int count);

// The layout is one picture over the whole client area: drawn as a single
// screen always was.
bool IsSingleScreen(const MonitorLayout& layout, int clientWidth, int clientHeight);

// The ferns of every monitor.
struct MonitorFerns {
  MonitorLayout layout;
  FernStore stores[MaxMonitors];           // one per distinct size
  AnimationState animations[MaxMonitors];  // one per monitor
};

// The saver window's (process-wide, empty at start).
MonitorFerns& SaverMonitorFerns();

// Takes the layout and starts each monitor's animation as a window's creation
// does, for that monitor's size; frees whatever the stores held before.
void SetUpMonitorFerns(MonitorFerns& ferns, const MonitorLayout& layout, bool fastMadness);

// Computes every distinct size's ferns in one run (StartFernSizes) and starts
// each monitor's animation on its size's, keeping any pause a tick has begun.
PrecomputeResult StartMonitorFerns(MonitorFerns& ferns, DrawSink& sink, const ProgressPort& port,
                                   ProgressState& progress);

// Frees every store; the layout is then empty (count 0).
void FreeMonitorFerns(MonitorFerns& ferns);

}  // namespace morv
