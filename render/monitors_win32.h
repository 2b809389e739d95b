// The desktop's monitors, where the platform can list them.
#pragma once

#include <windows.h>

#include "monitor_ferns.h"

namespace morv {

// How the monitors are listed: each one's rectangle in screen coordinates, up
// to `capacity`, and how many were written; 0 when the platform cannot tell,
// or could tell only part of the list.
// The platform's by default; tests put a desktop of their own in.
struct MonitorCalls {
  int (*list)(PixelRect* out, int capacity);
};
MonitorCalls& MonitorPlatform();
void ResetMonitorPlatform(MonitorCalls& calls);

// Where the pictures go on `window`, whose client area is `clientWidth` by
// `clientHeight`: one per monitor, from EnumDisplayMonitors and
// GetMonitorInfoA. Windows 95 and NT 4.0 lack those two, so they are bound by
// name at run time; without them, and for a child window (the preview), the
// whole client area is the one picture.
MonitorLayout MonitorLayoutFor(HWND window, int clientWidth, int clientHeight);

}  // namespace morv
