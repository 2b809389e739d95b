// The saver window's pictures: one pair of ferns per monitor, placed and sized
// for the monitor's rectangle as if it were the whole screen. A single screen
// is the one-monitor case: one picture over the whole client area. Monitors of
// one size share one computation; each has its own animation, so that its
// picture at every tick is the one a screen of that size shows.
#pragma once

#include "animation.h"
#include "draw_sink.h"
#include "pixel_rect.h"
#include "precompute.h"
#include "segment_store.h"

namespace morv {

// Pictures placed at most; monitors beyond them are left black.
constexpr int MaxPictures = 16;
// Monitors looked at as the platform lists them, mirrored ones included. A
// platform's list that fills them all may go on unlisted: it is no list.
constexpr int MaxListedMonitors = 64;

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
  PictureSize client;  // the client area the pictures are placed in
  int count;           // pictures; 0 before any layout is taken
  MonitorPlace places[MaxPictures];
  int sizeCount;
  PictureSize sizes[MaxPictures];  // distinct, in the order the pictures first use them
};

// Places the pictures of a window whose client area is `client` (screen
// coordinates, so possibly negative) on `monitors` (screen coordinates, as the
// platform lists them):
// - a monitor of no area is ignored;
// - monitors that overlap, mirrored ones included, are one picture over the
//   rectangle that bounds them, so that no pixel is drawn by two pictures;
// - each picture keeps its part of the client area, and one outside it draws
//   nothing;
// - the first MaxPictures pictures are placed;
// - with fewer than two pictures, or no list at all (count 0: the platform
//   could not tell), the whole client area is the one picture.
MonitorLayout PlaceMonitors(const PixelRect& client, const PixelRect* monitors, int count);

// The same client area with the same pictures in the same places.
bool SameLayout(const MonitorLayout& a, const MonitorLayout& b);

// The ferns of every picture.
struct MonitorFerns {
  MonitorLayout layout;
  bool fastMadness;
  FernStore stores[MaxPictures];          // per distinct size, in the layout's order
  PrecomputeResult results[MaxPictures];  // what each size's computation gave
  AnimationState animations[MaxPictures];  // per picture
};

// The saver window's (process-wide, empty at start).
MonitorFerns& SaverMonitorFerns();

// A window's first layout: frees whatever the stores held and starts each
// picture's animation as a window's creation does, for that picture's size.
void SetUpMonitorFerns(MonitorFerns& ferns, const MonitorLayout& layout, bool fastMadness);

// A new layout for the same window, after the displays changed: keeps the
// complete ferns of every size that `next` still shows, frees the others, and
// starts every picture's animation afresh, at level 0 of its vertical fern, on
// what its size keeps. A size that ran out of memory is kept too while the
// set of sizes is the same: its run shared memory with the others and would
// fail again. A size whose run was aborted always runs again. Returns true
// when some size must still be computed.
bool FollowLayout(MonitorFerns& ferns, const MonitorLayout& next);

// Some size of the layout has never had a run.
bool LacksFerns(const MonitorFerns& ferns);

// Computes, in one run (StartFernSizes), the sizes that have not been
// computed, and applies each size's result to its pictures' animations,
// keeping any pause a tick has begun. The sink is sized for the largest level
// of every size. Returns the run's result (of the kept sizes when none ran).
PrecomputeResult StartMonitorFerns(MonitorFerns& ferns, DrawSink& sink, const ProgressPort& port,
                                   ProgressState& progress);

// Frees every store; the layout is then empty (count 0).
void FreeMonitorFerns(MonitorFerns& ferns);

}  // namespace morv
