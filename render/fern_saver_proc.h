// The saver's own window procedure: GL surface life, animation ticks and the
// one-time precomputation. Every other message goes to ShellDefaultProc.
#pragma once

#include <windows.h>

namespace morv {

LRESULT CALLBACK FernSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace morv
