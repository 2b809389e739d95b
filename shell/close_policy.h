// The shell's default procedure: the close policy in front of DefWindowProcA.
#pragma once

#include <cstdint>

#include <windows.h>

namespace morv {

constexpr int CloseMoveThreshold = 4;  // pixels, |dx| + |dy|, must be exceeded

// FernSaverProc hands every message it does not handle itself to this
// procedure, in place of DefWindowProcA. A full-screen saver asks to close on
// input, deactivation and power events; a preview never does.
LRESULT ShellDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// |dx| + |dy| between two screen points, in unsigned 32-bit arithmetic so
// that no pair of coordinates can overflow.
std::uint32_t CursorTravel(POINT from, POINT to);

}  // namespace morv
