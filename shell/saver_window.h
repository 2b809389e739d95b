// The saver window (full screen or preview child), its class and the message loop.
#pragma once

#include <windows.h>

#include "saver_states.h"

namespace morv {

constexpr char SaverClassName[] = "WindowsScreenSaverClass";
constexpr char FullScreenTitle[] = "Screen Saver";
constexpr char PreviewTitle[] = "Preview";
constexpr int SaverIconId = 100;
constexpr UINT SaverClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;  // 0x2B
constexpr DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;                 // 0x52000000
constexpr DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // 0x96000000
// How long after a display change the saver keeps checking that its window
// covers the screen the system reports.
constexpr DWORD DisplaySettleMs = 3000;

// Posted to the full-screen window when the displays changed, or may have: the
// window then covers the virtual screen and its ferns follow the monitors.
constexpr UINT FollowDisplaysMessage = WM_APP + 0x4D;

// The run's result when no window could be made: a failure, not a normal end.
constexpr int NoSaverWindowResult = -1;

// One preview (parent given) or full-screen (parent NULL) run; returns the
// message loop's result, 0 after a normal end and when a full-screen saver
// is already running.
int RunSaverWindow(HWND parent);

// One event of the saver window's table: the shell's state takes the step, and
// the step's queued close, follow or abort is done; the rest is the caller's.
SaverStep StepSaver(HWND window, SaverEvent event);

// A turn of the window's own message loop: starts the run that an erase made
// due, and only here, never inside another handler or a nested loop (the
// password prompt, a follow's SetWindowPos, a dialog's wait).
void RunDueComputation(HWND window);

// The class's window procedure: what every saver handles alike, in front of
// FernSaverProc, which gets everything else.
LRESULT CALLBACK ShellWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace morv
