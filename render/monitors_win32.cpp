#include "monitors_win32.h"

namespace morv {
namespace {

using EnumDisplayMonitorsFn = decltype(&::EnumDisplayMonitors);
using GetMonitorInfoFn = decltype(&::GetMonitorInfoA);

struct Listing {
  GetMonitorInfoFn getMonitorInfo;
  PixelRect* out;
  int capacity;
  int count;
  bool failed;
};

BOOL CALLBACK ListMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
  Listing& listing = *reinterpret_cast<Listing*>(context);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!listing.getMonitorInfo(monitor, &info)) {
    listing.failed = true;  // a list with a hole in it is no list
    return FALSE;
  }
  const RECT& r = info.rcMonitor;  // the whole monitor: the saver covers the taskbar too
  listing.out[listing.count++] = PixelRect{r.left, r.top, r.right, r.bottom};
  return listing.count < listing.capacity;
}

template <typename Function>
Function Bound(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The platform's list, from the two functions that Windows 95 and NT 4.0 lack.
int EnumerateMonitors(PixelRect* out, int capacity) {
  const HMODULE user32 = GetModuleHandleA("USER32.DLL");  // imported, so loaded
  if (user32 == nullptr) return 0;
  const auto enumDisplayMonitors = Bound<EnumDisplayMonitorsFn>(user32, "EnumDisplayMonitors");
  const auto getMonitorInfo = Bound<GetMonitorInfoFn>(user32, "GetMonitorInfoA");
  if (enumDisplayMonitors == nullptr || getMonitorInfo == nullptr) return 0;
  Listing listing{getMonitorInfo, out, capacity, 0, false};
  const BOOL walked =
      enumDisplayMonitors(nullptr, nullptr, ListMonitor, reinterpret_cast<LPARAM>(&listing));
  // A full list stops the walk on purpose; any other early end is a failure,
  // and a failure gives no list at all rather than part of one.
  if (listing.failed || (!walked && listing.count < capacity)) return 0;
  return listing.count;
}

MonitorCalls g_monitorCalls{EnumerateMonitors};

}  // namespace

MonitorCalls& MonitorPlatform() { return g_monitorCalls; }

void ResetMonitorPlatform(MonitorCalls& calls) { calls.list = EnumerateMonitors; }

MonitorLayout MonitorLayoutFor(HWND window, int clientWidth, int clientHeight) {
  const PixelRect whole{0, 0, clientWidth, clientHeight};
  POINT origin{0, 0};
  if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 || !ClientToScreen(window, &origin)) {
    return PlaceMonitors(whole, nullptr, 0);
  }
  PixelRect monitors[MaxListedMonitors];
  const int count = MonitorPlatform().list(monitors, MaxListedMonitors);
  const PixelRect client{origin.x, origin.y, origin.x + clientWidth, origin.y + clientHeight};
  return PlaceMonitors(client, monitors, count);
}

}  // namespace morv
