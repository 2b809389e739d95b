#include "password_hooks.h"

#include "shell_state.h"

namespace morv {
namespace {

using ChangePasswordFn = DWORD(WINAPI*)(LPCSTR provider, HWND parent, DWORD reserved1, DWORD reserved2);

// GetProcAddress hands back a generic routine; the components' own signatures are fixed.
template <typename Fn>
Fn BindRoutine(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// "ScreenSaveUsePassword" under HKCU\Control Panel\Desktop. The number starts
// at zero so that a value shorter than four bytes reads as what it holds.
bool PasswordRequested(HKEY desktop) {
  DWORD usePassword = 0;
  DWORD size = sizeof usePassword;
  const LONG status = RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&usePassword), &size);
  return status == ERROR_SUCCESS && usePassword != 0;
}

void BindVerifyHook(ShellState& shell) {
  shell.passwordModule = LoadLibraryA("PASSWORD.CPL");
  if (shell.passwordModule == nullptr) return;
  shell.verifyPassword = BindRoutine<VerifyPasswordFn>(shell.passwordModule, "VerifyScreenSavePwd");
  if (shell.verifyPassword != nullptr) {
    SetSaverRunning(1);
  } else {
    UnloadPasswordHook();
  }
}

// Up to two timer ticks that queued up meanwhile would only draw behind the prompt.
void DropWaitingTicks(HWND window) {
  MSG discarded;
  PeekMessageA(&discarded, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
  PeekMessageA(&discarded, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

}  // namespace

void LoadPasswordHook() {
  ShellState& shell = Shell();
  if (!shell.onWin9x) return;
  if (shell.passwordModule != nullptr) UnloadPasswordHook();
  HKEY desktop = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS) return;
  if (PasswordRequested(desktop)) BindVerifyHook(shell);
  RegCloseKey(desktop);
}

void UnloadPasswordHook() {
  ShellState& shell = Shell();
  if (!shell.onWin9x || shell.passwordModule == nullptr) return;
  FreeLibrary(shell.passwordModule);
  shell.passwordModule = nullptr;
  // Only a bound hook has set the running state.
  if (shell.verifyPassword != nullptr) {
    shell.verifyPassword = nullptr;
    SetSaverRunning(0);
  }
}

void SetSaverRunning(UINT running) {
  if (!Shell().onWin9x) return;
  UINT previous = running;  // the platform writes the old state back here; unused
  SystemParametersInfoA(SpiScreenSaverRunning, running, &previous, 0);
}

LONG VerifyBeforeClose(HWND window, bool* asked) {
  ShellState& shell = Shell();
  *asked = false;
  if (shell.verifying || shell.closeApproved != 0) return 0;
  if (shell.verifyPassword == nullptr) {
    shell.closeApproved = 1;
    return 1;
  }
  // The input that dismissed a refused prompt must not reopen it at once.
  if (shell.lastVerifyTick != NoVerifyTick &&
      TicksSince(shell.lastVerifyTick, GetTickCount()) < VerifyDebounceMs) {
    return shell.closeApproved;
  }
  shell.verifying = true;
  *asked = true;
  DropWaitingTicks(window);
  const LRESULT answer = SendMessageA(window, VerifyRequestMessage, 0, 0);
  // The hook answers a 32-bit BOOL; kept as it comes.
  shell.closeApproved = static_cast<LONG>(answer);
  shell.verifying = false;
  if (shell.closeApproved == 0) SetCursor(nullptr);  // the prompt showed the cursor
  shell.lastVerifyTick = GetTickCount();
  return shell.closeApproved;
}

void RequestPasswordChange(HWND window) {
  HMODULE mpr = LoadLibraryA("MPR.DLL");
  if (mpr == nullptr) return;
  const auto change = BindRoutine<ChangePasswordFn>(mpr, "PwdChangePasswordA");
  if (change != nullptr) change("SCRSAVE", window, 0, 0);
  FreeLibrary(mpr);
}

}  // namespace morv
