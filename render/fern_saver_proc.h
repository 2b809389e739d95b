// The saver's own window procedure: GL surface life, animation ticks and the
// one-time precomputation. Every other message goes to ShellDefaultProc.
#pragma once

#include <windows.h>

namespace morv {

// Posted by the shell once it has fitted a full-screen window to displays that
// changed; the ferns then follow the new monitors. Through the queue, so that
// a change announced during the precomputation waits for its end.
constexpr UINT FollowDisplaysMessage = WM_APP + 0x4D;

LRESULT CALLBACK FernSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace morv
