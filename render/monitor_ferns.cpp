#include "monitor_ferns.h"

#include "fern_start.h"

namespace morv {
namespace {

MonitorFerns g_monitorFerns{};

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
  return PixelRect{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                   a.right < b.right ? a.right : b.right,
                   a.bottom < b.bottom ? a.bottom : b.bottom};
}

bool SamePlace(const MonitorPlace& a, const MonitorPlace& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
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
  layout.count = 1;
  layout.places[0] = MonitorPlace{0, 0, width, height, 0};
  layout.sizeCount = 1;
  layout.sizes[0] = PictureSize{width, height};
  return layout;
}

}  // namespace

MonitorLayout PlaceMonitors(const PixelRect& client, const PixelRect* monitors, int count) {
  MonitorLayout layout{};
  for (int i = 0; i < count && layout.count < MaxMonitors; ++i) {
    const PixelRect shown = Intersection(client, monitors[i]);
    if (shown.right <= shown.left || shown.bottom <= shown.top) continue;
    // Client coordinates count from the client area's corner, wherever the
    // monitors put it.
    MonitorPlace place{shown.left - client.left, shown.top - client.top, shown.right - shown.left,
                       shown.bottom - shown.top, 0};
    bool mirrored = false;
    for (int k = 0; k < layout.count && !mirrored; ++k) {
      mirrored = SamePlace(layout.places[k], place);
    }
    if (mirrored) continue;
    layout.places[layout.count++] = place;
  }
  if (layout.count < 2) {
    return WholeClientArea(client.right - client.left, client.bottom - client.top);
  }
  for (int k = 0; k < layout.count; ++k) {
    MonitorPlace& place = layout.places[k];
    place.size = SizeIndex(layout, place.width, place.height);
  }
  return layout;
}

bool IsSingleScreen(const MonitorLayout& layout, int clientWidth, int clientHeight) {
  return layout.count == 1 && layout.places[0].x == 0 && layout.places[0].y == 0 &&
         layout.places[0].width == clientWidth && layout.places[0].height == clientHeight;
}

MonitorFerns& SaverMonitorFerns() { return g_monitorFerns; }

void SetUpMonitorFerns(MonitorFerns& ferns, const MonitorLayout& layout, bool fastMadness) {
  FreeMonitorFerns(ferns);
  ferns.layout = layout;
  for (int i = 0; i < layout.count; ++i) {
    ResetAnimation(ferns.animations[i]);
    StartAnimation(ferns.animations[i], layout.places[i].width, layout.places[i].height,
                   fastMadness);
  }
}

PrecomputeResult StartMonitorFerns(MonitorFerns& ferns, DrawSink& sink, const ProgressPort& port,
                                   ProgressState& progress) {
  const MonitorLayout& layout = ferns.layout;
  SizedStore sizes[MaxMonitors];
  PrecomputeResult results[MaxMonitors];
  for (int s = 0; s < layout.sizeCount; ++s) {
    sizes[s] = SizedStore{layout.sizes[s].width, layout.sizes[s].height, &ferns.stores[s]};
  }
  const PrecomputeResult overall =
      StartFernSizes(sizes, layout.sizeCount, results, sink, port, progress);
  for (int i = 0; i < layout.count; ++i) {
    ApplyPrecomputeResult(ferns.animations[i], results[layout.places[i].size]);
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

}  // namespace morv
