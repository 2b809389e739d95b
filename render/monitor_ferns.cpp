#include "monitor_ferns.h"

#include "fern_start.h"
#include "level_stats.h"

namespace morv {
namespace {

MonitorFerns g_monitorFerns{};

bool HasArea(const PixelRect& r) { return r.right > r.left && r.bottom > r.top; }

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
  return PixelRect{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                   a.right < b.right ? a.right : b.right,
                   a.bottom < b.bottom ? a.bottom : b.bottom};
}

PixelRect Bounds(const PixelRect& a, const PixelRect& b) {
  return PixelRect{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                   a.right > b.right ? a.right : b.right,
                   a.bottom > b.bottom ? a.bottom : b.bottom};
}

bool Overlap(const PixelRect& a, const PixelRect& b) { return HasArea(Intersection(a, b)); }

// Adds a monitor to the surfaces found so far: one that overlaps some of them
// takes their place, as the rectangle bounding them all, at the first one's
// position in the list (the primary monitor comes first). Returns the count.
int AddSurface(PixelRect* surfaces, int count, const PixelRect& monitor) {
  int at = -1;
  PixelRect merged = monitor;
  for (bool grew = true; grew;) {
    grew = false;
    for (int k = 0; k < count; ++k) {
      if (k == at || !Overlap(surfaces[k], merged)) continue;
      merged = Bounds(merged, surfaces[k]);
      if (at < 0) {
        at = k;
      } else {  // two surfaces now meet: the later one goes
        const int gone = k > at ? k : at;
        at = k < at ? k : at;
        for (int m = gone; m + 1 < count; ++m) surfaces[m] = surfaces[m + 1];
        --count;
      }
      surfaces[at] = merged;
      grew = true;
      break;
    }
  }
  if (at < 0) surfaces[count++] = monitor;
  return count;
}

// The index of the size, added if it is new.
int SizeIndex(MonitorLayout& layout, int width, int height) {
  for (int s = 0; s < layout.sizeCount; ++s) {
    if (layout.sizes[s].width == width && layout.sizes[s].height == height) return s;
  }
  layout.sizes[layout.sizeCount] = PictureSize{width, height};
  return layout.sizeCount++;
}

MonitorLayout WholeClientArea(int width, int height) {
  MonitorLayout layout{};
  layout.client = PictureSize{width, height};
  layout.count = 1;
  layout.places[0] = MonitorPlace{0, 0, width, height, 0};
  layout.sizeCount = 1;
  layout.sizes[0] = PictureSize{width, height};
  return layout;
}

void StartPicture(AnimationState& animation, const MonitorPlace& place, bool fastMadness) {
  ResetAnimation(animation);
  StartAnimation(animation, place.width, place.height, fastMadness);
}

}  // namespace

MonitorLayout PlaceMonitors(const PixelRect& client, const PixelRect* monitors, int count) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  PixelRect surfaces[MaxListedMonitors];
  int surfaceCount = 0;
  for (int i = 0; i < count && i < MaxListedMonitors; ++i) {
    if (HasArea(monitors[i])) surfaceCount = AddSurface(surfaces, surfaceCount, monitors[i]);
  }
  MonitorLayout layout{};
  layout.client = PictureSize{width, height};
  for (int i = 0; i < surfaceCount && layout.count < MaxPictures; ++i) {
    const PixelRect shown = Intersection(client, surfaces[i]);
    if (!HasArea(shown)) continue;
    // Client coordinates count from the client area's corner, wherever the
    // monitors put it.
    layout.places[layout.count++] =
        MonitorPlace{shown.left - client.left, shown.top - client.top, shown.right - shown.left,
                     shown.bottom - shown.top, 0};
  }
  if (layout.count < 2) return WholeClientArea(width, height);
  for (int k = 0; k < layout.count; ++k) {
    MonitorPlace& place = layout.places[k];
    place.size = SizeIndex(layout, place.width, place.height);
  }
  return layout;
}

bool SameLayout(const MonitorLayout& a, const MonitorLayout& b) {
  if (a.client.width != b.client.width || a.client.height != b.client.height ||
      a.count != b.count) {
    return false;
  }
  for (int i = 0; i < a.count; ++i) {
    const MonitorPlace& p = a.places[i];
    const MonitorPlace& q = b.places[i];
    if (p.x != q.x || p.y != q.y || p.width != q.width || p.height != q.height) return false;
  }
  return true;
}

MonitorFerns& SaverMonitorFerns() { return g_monitorFerns; }

void SetUpMonitorFerns(MonitorFerns& ferns, const MonitorLayout& layout, bool fastMadness) {
  FreeMonitorFerns(ferns);
  ferns.fastMadness = fastMadness;
  FollowLayout(ferns, layout);
}

namespace {

// The same distinct sizes, in whatever order.
bool SameSizes(const MonitorLayout& a, const MonitorLayout& b) {
  if (a.sizeCount != b.sizeCount) return false;
  for (int i = 0; i < a.sizeCount; ++i) {
    bool found = false;
    for (int k = 0; k < b.sizeCount && !found; ++k) {
      found = a.sizes[i].width == b.sizes[k].width && a.sizes[i].height == b.sizes[k].height;
    }
    if (!found) return false;
  }
  return true;
}

bool Keepable(PrecomputeOutcome outcome, bool sameSizes) {
  return outcome == PrecomputeOutcome::Completed ||
         (outcome == PrecomputeOutcome::OutOfMemory && sameSizes);
}

}  // namespace

bool FollowLayout(MonitorFerns& ferns, const MonitorLayout& next) {
  const MonitorLayout& old = ferns.layout;
  const bool sameSizes = SameSizes(old, next);
  FernStore kept[MaxPictures];
  PrecomputeResult keptResults[MaxPictures];
  bool reused[MaxPictures] = {};
  bool missing = false;
  for (int s = 0; s < next.sizeCount; ++s) {
    ResetFernStore(kept[s]);
    keptResults[s] = PrecomputeResult{PrecomputeOutcome::Completed, 0, 0, 0, Vertical};
    for (int o = 0; o < old.sizeCount; ++o) {
      // An aborted size holds part of its ferns, and computes again.
      if (reused[o] || !ferns.stores[o].runStarted ||
          !Keepable(ferns.results[o].outcome, sameSizes) ||
          old.sizes[o].width != next.sizes[s].width ||
          old.sizes[o].height != next.sizes[s].height) {
        continue;
      }
      kept[s] = ferns.stores[o];
      keptResults[s] = ferns.results[o];
      reused[o] = true;
      break;
    }
    missing = missing || !kept[s].runStarted;
  }
  for (int o = 0; o < MaxPictures; ++o) {
    if (reused[o]) continue;
    FreeFerns(ferns.stores[o]);
  }
  for (int s = 0; s < MaxPictures; ++s) {
    if (s < next.sizeCount) {
      ferns.stores[s] = kept[s];
      ferns.results[s] = keptResults[s];
    } else {
      ResetFernStore(ferns.stores[s]);
    }
  }
  ferns.layout = next;
  for (int i = 0; i < next.count; ++i) {
    const MonitorPlace& place = next.places[i];
    StartPicture(ferns.animations[i], place, ferns.fastMadness);
    if (ferns.stores[place.size].runStarted) {
      ApplyPrecomputeResult(ferns.animations[i], ferns.results[place.size]);
    }
  }
  return missing;
}

PrecomputeResult StartMonitorFerns(MonitorFerns& ferns, DrawSink& sink, const ProgressPort& port,
                                   ProgressState& progress) {
  const MonitorLayout& layout = ferns.layout;
  SizedStore sizes[MaxPictures];
  int runSize[MaxPictures];
  int count = 0;
  for (int s = 0; s < layout.sizeCount; ++s) {
    if (ferns.stores[s].runStarted) continue;
    ferns.stores[s].runStarted = true;
    sizes[count] = SizedStore{layout.sizes[s].width, layout.sizes[s].height, &ferns.stores[s]};
    runSize[count++] = s;
  }
  PrecomputeResult results[MaxPictures];
  PrecomputeResult overall = ferns.results[0];
  if (count > 0) {
    overall = StartFernSizes(sizes, count, results, sink, port, progress);
    for (int k = 0; k < count; ++k) ferns.results[runSize[k]] = results[k];
  }
  if (count < layout.sizeCount) {
    // Sizes kept from an earlier layout draw through the same buffer.
    std::int64_t largest = 0;
    for (int s = 0; s < layout.sizeCount; ++s) {
      const std::int64_t level = LargestLevelSegments(ferns.stores[s]);
      if (level > largest) largest = level;
    }
    sink.Reserve(largest);
  }
  for (int i = 0; i < layout.count; ++i) {
    ApplyPrecomputeResult(ferns.animations[i], ferns.results[layout.places[i].size]);
  }
  return overall;
}

void FreeMonitorFerns(MonitorFerns& ferns) {
  for (FernStore& store : ferns.stores) {
    FreeFerns(store);
    ResetFernStore(store);
  }
  ferns.layout = MonitorLayout{};
}

bool LacksFerns(const MonitorFerns& ferns) {
  for (int s = 0; s < ferns.layout.sizeCount; ++s) {
    if (!ferns.stores[s].runStarted) return true;
  }
  return false;
}

}  // namespace morv
