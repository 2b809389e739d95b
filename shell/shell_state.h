// The shell's process-wide record: what start-up, the saver window, the close
// policy and the password hooks share. Used on the user-interface thread only.
#pragma once

#include <cstdint>

#include <windows.h>
#include <imm.h>  // HIMC only; IMM32 is never linked, it is bound at run time

#include "saver_states.h"

namespace morv {

using AssociateContextFn = HIMC(WINAPI*)(HWND window, HIMC context);
using VerifyPasswordFn = BOOL(WINAPI*)(HWND window);

struct ShellState {
  // Start-up.
  HINSTANCE instance;        // the saver's own module
  bool onWin9x;              // the platform reports VER_PLATFORM_WIN32_WINDOWS
  LPTOP_LEVEL_EXCEPTION_FILTER filterBeforeGuard;  // restored when the mode ends

  // Saver window.
  bool previewMode;          // the window is a preview child; never cleared
  HWND saverWindow;
  UINT autoPlayMessage;      // "QueryCancelAutoPlay", 0 when not registered
  HMODULE imeModule;         // IMM32.DLL if something had already loaded it
  AssociateContextFn associateContext;
  HIMC savedInputContext;    // the context detached from the saver window
  POINT cursorReference;     // where mouse travel is measured from (screen)
  SaverState saver;          // the window's state in the table (saver_states.h)
  bool followPending;        // a follow of the displays is queued
  bool displayAnnounced;     // WM_DISPLAYCHANGE came since the last follow
  int displayBitsPerPixel;   // the colour depth it announced
  int refusedBitsPerPixel;   // a new depth whose close the password refused: not asked again
  bool closePending;         // a WM_CLOSE to queue again: lost, or held back by the debounce
  bool displaySettling;      // the ticks still look for a late report of a change
  DWORD displayChangeTick;   // the display clock at the last change

  // Close policy and password hooks.
  LONG closeApproved;        // the hook's last answer; non-zero lets the window close
  bool verifying;            // the password hook is running
  HMODULE passwordModule;    // PASSWORD.CPL while loaded
  VerifyPasswordFn verifyPassword;  // its VerifyScreenSavePwd
  DWORD lastVerifyTick;      // GetTickCount after the last check; NoVerifyTick before any
};

constexpr DWORD NoVerifyTick = 0xFFFFFFFFu;

ShellState& Shell();
// Back to the process-start values; for tests.
void ResetShellState(ShellState& state);

// A window handle as the command line carries it: an unsigned 32-bit number.
inline HWND WindowFromNumber(std::uint32_t number) {
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(number));
}

}  // namespace morv
