// Start-up: the command line becomes one mode, and the mode's result the exit code.
#pragma once

#include <windows.h>

namespace morv {

// Exit code after a fault that escaped the mode and that the platform's
// unhandled-exception filter chose to end the process for.
constexpr int FaultExitCode = -2;
constexpr int UnusableCommandLine = -1;

// The GUI entry's only work: reads the command line afresh, runs the mode and
// ends the process with its result (the runtime's own exit path is not taken).
[[noreturn]] void ShellStart();

// Records the instance and the platform family, then runs the mode that the
// command tail asks for under the fault guard; returns the exit code.
int DispatchMode(HINSTANCE instance, const char* commandTail);

// The modes. `handleText` starts at the handle digits.
int RunPreview(const char* handleText);
int RunConfigure(HWND owner);
int RunChangePassword(const char* handleText);

// Runs before the configuration dialog; 0 would skip it. Nothing to prepare here.
int ConfigDialogHook(HINSTANCE instance);

}  // namespace morv
