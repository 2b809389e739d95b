// Drives a saver run from inside its own message loop: a thread timer feeds
// the script's steps one per tick to the live window, with real messages, and
// a watchdog ends the loop if the run would otherwise never finish.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

namespace morv::test {

// Runs on the saver's thread inside its message loop. Returns true when done
// (the next step runs on a later tick), false to be run again on the next tick.
using ScriptStep = std::function<bool(HWND saver)>;

ScriptStep Do(std::function<void(HWND saver)> action);
ScriptStep WaitUntil(std::function<bool(HWND saver)> condition);

struct ScriptReport {
  int stepsRun = 0;
  bool watchdogFired = false;
  // The text of a saver "Error" box (a failed OpenGL set-up) that ended the run early.
  std::string errorBox;
};

constexpr int WatchdogExitCode = 0x5AFE;

// Calls `run` (which enters a message loop) and feeds it the steps. The result
// is what `run` returns; WatchdogExitCode if the watchdog had to end the loop.
// A saver "Error" box fails the test at once, is dismissed, and ends the script.
int RunScripted(const std::function<int()>& run, std::vector<ScriptStep> steps,
                ScriptReport* report = nullptr, DWORD tickMs = 10, DWORD watchdogMs = 20000);

// A fresh shell record for this process, as start-up would leave it.
void PrepareShell(bool onWin9x);
// After a run: destroys what is left of the saver window, unregisters the class,
// drops waiting messages and resets the shell record and the double.
void CleanUpAfterRun();

// Takes one waiting `message` for `window` out of the queue, if there is one.
bool TakePosted(HWND window, UINT message, MSG* taken = nullptr);
// Waiting messages for `window` are dropped (input the display generated meanwhile).
void DropPosted(HWND window);

}  // namespace morv::test

namespace morv::test {

// A visible top-level window to host previews; records what it receives.
struct TestParentLog {
  std::vector<MSG> received;
};
TestParentLog& ParentLog();
HWND CreateTestParent(int clientWidth, int clientHeight);
int TimesParentReceived(UINT message);

}  // namespace morv::test

namespace morv::test {

// shell_test_host.exe (next to the test program) in a process of its own.
struct HostProcess {
  HANDLE process = nullptr;
  HWND window = nullptr;
};
HostProcess StartHost(const char* className, const char* title, int width, int height,
                      DWORD lifetimeMs);
// Closes the host's window and waits for the process to end.
void StopHost(HostProcess& host);
// A file next to the running test program.
std::string BesideTestProgram(const char* fileName);

}  // namespace morv::test
