// The desktop's displays as the saver window sees them: the virtual screen a
// full-screen window covers, its monitors where the platform can list them,
// and the clock that times how long a display change takes to settle.
#pragma once

#include <windows.h>

#include "pixel_rect.h"

namespace morv {

// The platform's by default; tests put a desktop, and a clock, of their own in.
struct DisplayCalls {
  // Each monitor's rectangle in screen coordinates, up to `capacity`, and how
  // many were written; 0 when the platform cannot tell, or could tell only
  // part of the list.
  int (*monitors)(PixelRect* out, int capacity);
  // The virtual screen: what a full-screen saver window covers. False when
  // the platform cannot tell.
  bool (*screen)(RECT* out);
  DWORD (*tickCount)();
};
DisplayCalls& DisplayPlatform();
void ResetDisplayPlatform(DisplayCalls& calls);

}  // namespace morv
