#include "displays.h"

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

// The screen's device context covers the virtual screen.
bool ScreenBox(RECT* out) {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  const bool known = GetClipBox(screen, out) != ERROR;
  ReleaseDC(nullptr, screen);
  return known;
}

DWORD TickCountNow() { return GetTickCount(); }

constexpr DisplayCalls PlatformCalls{EnumerateMonitors, ScreenBox, TickCountNow};
DisplayCalls g_displayCalls = PlatformCalls;

}  // namespace

DisplayCalls& DisplayPlatform() { return g_displayCalls; }

void ResetDisplayPlatform(DisplayCalls& calls) { calls = PlatformCalls; }

}  // namespace morv
