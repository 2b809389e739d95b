// The saver's own window procedure: GL surface life, animation ticks and the
// one-time precomputation. Every other message goes to ShellDefaultProc.
#pragma once

#include <windows.h>

namespace morv {

LRESULT CALLBACK FernSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the shell knows of a change of the displays.
struct DisplayChange {
  bool announced;  // WM_DISPLAYCHANGE came; false when only looking again for a late report
};

// The shell has fitted the full-screen window to the displays as the system
// now reports them, from the queue (never inside a tick, the precomputation or
// the password prompt): the ferns follow the monitors. A new layout starts
// every picture afresh, keeps the sizes it still shows and leaves the others
// to the next run; so does an announced change that keeps the layout (a new
// refresh rate: the switch has repainted the screen). Returns false when a
// look found the layout as it was and nothing changed.
bool FollowDisplays(HWND window, const DisplayChange& change);

// The run, called by the shell from the window's own message loop only: computes
// what the layout lacks beside the progress dialog (nothing to compute, no
// dialog) and starts the pictures on it. Returns true when the dialog's abort
// stopped it.
bool ComputeLackingFerns();
// Stops the run under way before its next level (on this thread, from a
// message answered during the run).
void AbortComputation();
// The colour depth the window's OpenGL surface was made for; 0 when not known.
int SurfaceBitsPerPixel();

}  // namespace morv
