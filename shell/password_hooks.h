// The screen-saver password components of the Windows 9x family, bound by name
// at run time: PASSWORD.CPL checks the password before the saver closes,
// MPR.DLL changes it. On every other platform the hooks do nothing.
#pragma once

#include <cstdint>

#include <windows.h>

namespace morv {

constexpr DWORD VerifyDebounceMs = 200;        // after a check, close requests are refused this long
constexpr UINT VerifyRequestMessage = WM_APP;  // answered by ShellDefaultProc with the hook's verdict
constexpr UINT SpiScreenSaverRunning = 97;     // SPI_SCREENSAVERRUNNING

// Full screen only: loads PASSWORD.CPL when the user's desktop settings ask for
// a password, and then tells the platform that a saver runs.
void LoadPasswordHook();
// Frees the hook; clears the running state if loading had set it.
void UnloadPasswordHook();
// SystemParametersInfoA(SPI_SCREENSAVERRUNNING) on the Windows 9x family only.
void SetSaverRunning(UINT running);
// Asks the hook whether a close may go ahead; non-zero lets it. `asked` tells
// whether the hook ran: a refusal without it (the debounce, a check under way)
// says nothing about the password.
LONG VerifyBeforeClose(HWND window, bool* asked);
// Calls MPR.DLL's PwdChangePasswordA("SCRSAVE", window, 0, 0) if it is there.
void RequestPasswordChange(HWND window);

// Milliseconds from `earlier` to `later` on a tick counter that wraps at 2^32.
constexpr std::uint32_t TicksSince(std::uint32_t earlier, std::uint32_t later) {
  return later - earlier;
}

}  // namespace morv
