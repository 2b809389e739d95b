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
};

BOOL CALLBACK ListMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
  Listing& listing = *reinterpret_cast<Listing*>(context);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (listing.getMonitorInfo(monitor, &info)) {
    const RECT& r = info.rcMonitor;  // the whole monitor: the saver covers the taskbar too
    listing.out[listing.count++] = PixelRect{r.left, r.top, r.right, r.bottom};
  }
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
  Listing listing{getMonitorInfo, out, capacity, 0};
  // Its result tells nothing more: a full list stops the walk on purpose.
  enumDisplayMonitors(nullptr, nullptr, ListMonitor, reinterpret_cast<LPARAM>(&listing));
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
  PixelRect monitors[MaxMonitors];
  const int count = MonitorPlatform().list(monitors, MaxMonitors);
  const PixelRect client{origin.x, origin.y, origin.x + clientWidth, origin.y + clientHeight};
  return PlaceMonitors(client, monitors, count);
}

}  // namespace morv
