// The shell's default procedure: the close policy in front of DefWindowProcA.
#pragma once

#include <windows.h>

namespace morv {

constexpr int CloseMoveThreshold = 4;  // pixels, |dx| + |dy|, must be exceeded

LRESULT ShellDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace morv
