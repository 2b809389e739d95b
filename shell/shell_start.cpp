#include "shell_start.h"

#include "command_line.h"
#include "config_dialog.h"
#include "password_hooks.h"
#include "resource_ids.h"
#include "saver_window.h"
#include "shell_state.h"

namespace morv {
namespace {

const char* StepWithCharNext(const char* position) { return CharNextA(position); }

bool PlatformIsWin9x() {
  OSVERSIONINFOA version = {};
  static_assert(sizeof version == 148, "the version query expects the ANSI record of 148 bytes");
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) != 0 && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// A handle from the command line, or the foreground window when it is 0 or dead.
HWND WindowOrForeground(std::uint32_t number) {
  HWND window = WindowFromNumber(number);
  if (window == nullptr || !IsWindow(window)) window = GetForegroundWindow();
  return window;
}

// The fault guard. MinGW's GCC has no __try/__except, so the guard is a
// top-level exception filter installed for the time the mode runs: the
// platform calls it for a fault that no inner handler took. It puts the
// fault before the platform's own UnhandledExceptionFilter (with itself
// taken out of the way, or that filter would call it again) and obeys the
// verdict. On EXCEPTION_EXECUTE_HANDLER it tells the platform that no saver
// runs any more and ends the process with FaultExitCode, which is what
// returning from DispatchMode into ShellStart would do; nothing else is
// cleaned up. Unlike a structured-exception block around the call, the filter
// also covers the progress dialog's thread, which belongs to the run too.
LONG WINAPI FaultGuardFilter(EXCEPTION_POINTERS* fault) {
  SetUnhandledExceptionFilter(Shell().filterBeforeGuard);
  const LONG verdict = UnhandledExceptionFilter(fault);
  if (verdict == EXCEPTION_EXECUTE_HANDLER) {
    SetSaverRunning(0);
    ExitProcess(static_cast<UINT>(FaultExitCode));
  }
  SetUnhandledExceptionFilter(FaultGuardFilter);  // execution goes on: stay on guard
  return verdict;
}

void RaiseFaultGuard() { Shell().filterBeforeGuard = SetUnhandledExceptionFilter(FaultGuardFilter); }

void LowerFaultGuard() { SetUnhandledExceptionFilter(Shell().filterBeforeGuard); }

int RunDecision(const ModeDecision& decision) {
  if (!decision.runs) return UnusableCommandLine;
  switch (decision.mode) {
    case SaverMode::Configure:
      // An empty command line configures without an owner; "c" borrows one.
      return RunConfigure(decision.ownerFallsBack ? WindowOrForeground(decision.owner) : nullptr);
    case SaverMode::FullScreen:
      return RunSaverWindow(nullptr);
    case SaverMode::Preview:
      return RunPreview(decision.handleText);
    case SaverMode::ChangePassword:
      return RunChangePassword(decision.handleText);
  }
  return UnusableCommandLine;
}

}  // namespace

void ShellStart() {
  const char* tail = ExtractCommandTail(GetCommandLineA(), StepWithCharNext);
  ExitProcess(static_cast<UINT>(DispatchMode(GetModuleHandleA(nullptr), tail)));
}

int DispatchMode(HINSTANCE instance, const char* commandTail) {
  ShellState& shell = Shell();
  shell.instance = instance;
  shell.onWin9x = PlatformIsWin9x();
  RaiseFaultGuard();
  const int result = RunDecision(DecideMode(commandTail, shell.onWin9x));
  LowerFaultGuard();
  return result;
}

int RunPreview(const char* handleText) {
  HWND parent = WindowFromNumber(ParseWindowHandle(handleText));
  if (parent == nullptr || !IsWindow(parent)) return UnusableCommandLine;
  return RunSaverWindow(parent);
}

int ConfigDialogHook(HINSTANCE /*instance*/) { return 1; }

int RunConfigure(HWND owner) {
  HINSTANCE instance = Shell().instance;
  if (ConfigDialogHook(instance) == 0) return 0;
  // The platform's failure value (-1) comes back unchanged as the exit code.
  return static_cast<int>(
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG), owner, ConfigDialogProc, 0));
}

int RunChangePassword(const char* handleText) {
  RequestPasswordChange(WindowOrForeground(ParseWindowHandle(handleText)));
  return 0;
}

}  // namespace morv
