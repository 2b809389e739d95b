// The saver's own window procedure: GL surface life, animation ticks and the
// one-time precomputation. Every other message goes to ShellDefaultProc.
#pragma once

#include <windows.h>

namespace morv {

LRESULT CALLBACK FernSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the shell knows of a change of the displays.
struct DisplayChange {
  bool announced;    // WM_DISPLAYCHANGE came; false when only looking again for a late report
  int bitsPerPixel;  // the colour depth it announced; 0 when not known
};

// The shell has fitted the full-screen window to the displays as the system
// now reports them, from the queue (never inside a tick or the
// precomputation): the ferns follow the monitors. A new layout starts every
// picture afresh and has the next erase compute the sizes it lacks; so does
// an announced change that keeps the layout (a new refresh rate: the switch
// has repainted the screen). A new colour depth ends the saver as a key does,
// since a window's pixel format cannot be chosen again.
void FollowDisplays(HWND window, const DisplayChange& change);

}  // namespace morv
