#include "saver_script.h"

#include <atomic>
#include <cstdlib>

#include <gtest/gtest.h>

#include "fern_saver_double.h"
#include "saver_window.h"
#include "shell_state.h"

namespace morv::test {
namespace {

struct ScriptRun {
  std::vector<ScriptStep> steps;
  size_t next = 0;
  int stepsRun = 0;
  bool inStep = false;
  std::string errorBox;
};

ScriptRun g_script;

BOOL CALLBACK FindErrorBox(HWND window, LPARAM found) {
  char cls[16] = "";
  char caption[16] = "";
  GetClassNameA(window, cls, sizeof cls);
  GetWindowTextA(window, caption, sizeof caption);
  if (lstrcmpA(cls, "#32770") != 0 || lstrcmpA(caption, "Error") != 0 || !IsWindowVisible(window)) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The saver's set-up failure box would wait for a click that never comes, and the
// steps would run against a window that never appeared: fail now and say why.
bool EndOnErrorBox() {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindErrorBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return false;
  char text[256] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message box's text control
  g_script.errorBox = text;
  ADD_FAILURE() << "the saver showed its \"Error\" box instead of running: \"" << text << "\"";
  g_script.next = g_script.steps.size();
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return true;
}

// What the watchdog thread needs; it lives on RunScripted's stack until the join.
struct Watchdog {
  HANDLE finished;
  DWORD watchdogMs;
  DWORD thread;
  std::atomic<bool> fired{false};
};

// A thread of its own (CreateThread: the shipping toolchain has no std::thread).
DWORD WINAPI WatchdogThread(LPVOID param) {
  auto* watchdog = static_cast<Watchdog*>(param);
  if (WaitForSingleObject(watchdog->finished, watchdog->watchdogMs) == WAIT_TIMEOUT) {
    watchdog->fired = true;
    PostThreadMessageA(watchdog->thread, WM_QUIT, WatchdogExitCode, 0);
  }
  return 0;
}

void CALLBACK OnScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  // A step may pump messages itself; never run steps inside one another.
  if (g_script.inStep || g_script.next >= g_script.steps.size()) return;
  if (EndOnErrorBox()) return;
  g_script.inStep = true;
  const bool done = g_script.steps[g_script.next](Shell().saverWindow);
  g_script.inStep = false;
  if (done) {
    ++g_script.next;
    ++g_script.stepsRun;
  }
}

}  // namespace

ScriptStep Do(std::function<void(HWND)> action) {
  return [action](HWND saver) {
    action(saver);
    return true;
  };
}

ScriptStep WaitUntil(std::function<bool(HWND)> condition) { return condition; }

int RunScripted(const std::function<int()>& run, std::vector<ScriptStep> steps, ScriptReport* report,
                DWORD tickMs, DWORD watchdogMs) {
  g_script = ScriptRun{};
  g_script.steps = std::move(steps);
  Watchdog watchdog;
  watchdog.finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  watchdog.watchdogMs = watchdogMs;
  watchdog.thread = GetCurrentThreadId();
  HANDLE watchdogThread = CreateThread(nullptr, 0, WatchdogThread, &watchdog, 0, nullptr);
  if (watchdogThread == nullptr) std::abort();  // a run without its watchdog could hang ctest
  const UINT_PTR timer = SetTimer(nullptr, 0, tickMs, OnScriptTick);
  const int result = run();
  KillTimer(nullptr, timer);
  SetEvent(watchdog.finished);
  WaitForSingleObject(watchdogThread, INFINITE);
  CloseHandle(watchdogThread);
  CloseHandle(watchdog.finished);
  const bool fired = watchdog.fired;
  if (report != nullptr) {
    report->stepsRun = g_script.stepsRun;
    report->watchdogFired = fired;
    report->errorBox = g_script.errorBox;
  }
  g_script = ScriptRun{};
  return fired ? WatchdogExitCode : result;
}

void PrepareShell(bool onWin9x) {
  UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));  // each run registers it anew
  ResetShellState(Shell());
  Shell().instance = GetModuleHandleA(nullptr);
  Shell().onWin9x = onWin9x;
  ResetSaverDouble();
}

void CleanUpAfterRun() {
  HWND saver = Shell().saverWindow;
  if (saver != nullptr && IsWindow(saver)) {
    Shell().closeApproved = 1;
    DestroyWindow(saver);
  }
  UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));
  DropPosted(nullptr);
  ResetShellState(Shell());
  ResetSaverDouble();
}

bool TakePosted(HWND window, UINT message, MSG* taken) {
  MSG m;
  if (!PeekMessageA(&m, window, message, message, PM_REMOVE)) return false;
  if (taken != nullptr) *taken = m;
  return true;
}

void DropPosted(HWND window) {
  // Posted and input messages only: WM_PAINT would come back as long as
  // something is left unpainted.
  MSG m;
  for (int i = 0; i < 10000; ++i) {
    if (!PeekMessageA(&m, window, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_INPUT)) break;
  }
}

}  // namespace morv::test

namespace morv::test {
namespace {

TestParentLog g_parentLog;

LRESULT CALLBACK TestParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_parentLog.received.push_back(MSG{window, message, wParam, lParam, 0, {}});
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TestParentLog& ParentLog() { return g_parentLog; }

HWND CreateTestParent(int clientWidth, int clientHeight) {
  static const char WindowClassName[] = "MorvTestPreviewParent";
  WNDCLASSA c = {};
  c.lpfnWndProc = TestParentProc;
  c.hInstance = GetModuleHandleA(nullptr);
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  c.lpszClassName = WindowClassName;
  RegisterClassA(&c);  // fails harmlessly once it is registered
  RECT r = {0, 0, clientWidth, clientHeight};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  g_parentLog.received.clear();
  return CreateWindowExA(0, WindowClassName, "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                         40, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

int TimesParentReceived(UINT message) {
  int n = 0;
  for (const MSG& m : g_parentLog.received) n += (m.message == message) ? 1 : 0;
  return n;
}

}  // namespace morv::test

namespace morv::test {

std::string BesideTestProgram(const char* fileName) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + fileName;
}

HostProcess StartHost(const char* className, const char* title, int width, int height,
                      DWORD lifetimeMs) {
  HostProcess host;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return host;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::string command = "\"" + BesideTestProgram("shell_test_host.exe") + "\" \"" + className +
                        "\" \"" + title + "\" " + std::to_string(width) + " " +
                        std::to_string(height) + " " + std::to_string(lifetimeMs);
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = writeEnd;
  start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                     &info)) {
    CloseHandle(info.hThread);
    host.process = info.hProcess;
  }
  CloseHandle(writeEnd);
  if (host.process != nullptr) {
    char line[32] = {};
    DWORD got = 0;
    DWORD total = 0;
    while (total < sizeof line - 1 && ReadFile(readEnd, line + total, 1, &got, nullptr) && got == 1) {
      if (line[total] == '\n') break;
      ++total;
    }
    line[total] = '\0';
    host.window = WindowFromNumber(static_cast<std::uint32_t>(std::strtoul(line, nullptr, 10)));
  }
  CloseHandle(readEnd);
  return host;
}

void StopHost(HostProcess& host) {
  if (host.window != nullptr && IsWindow(host.window)) PostMessageA(host.window, WM_CLOSE, 0, 0);
  if (host.process != nullptr) {
    if (WaitForSingleObject(host.process, 10000) == WAIT_TIMEOUT) TerminateProcess(host.process, 1);
    CloseHandle(host.process);
  }
  host = HostProcess{};
}

}  // namespace morv::test
