// The saver's entry in a process of its own: ShellStart reads the real command
// line, and the process ends with the mode's result or, after a fault that
// escapes the mode, with the fault guard's code. The probe program is the
// shell with a stand-in saver procedure (support/saver_probe.cpp); its "9x"
// copy runs with Wine's Windows 98 version.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include <windows.h>

#include "saver_script.h"
#include "shell_start.h"

namespace morv {
namespace {

// The platform's screen-saver-running state, set and read by fresh helper
// processes: Wine caches system parameters per process.
DWORD RunHost(const std::string& arguments) {
  std::string command = "\"" + test::BesideTestProgram("shell_test_host.exe") + "\" " + arguments;
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &info)) {
    return 1000;
  }
  CloseHandle(info.hThread);
  DWORD code = 1001;
  if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return code;
}
DWORD SaverRunningState() { return RunHost("saver-running"); }
void SetSaverRunningState(int running) { RunHost("saver-running " + std::to_string(running)); }

void SetUserString(const char* key, const char* name, const char* value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr), 0);
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>(std::strlen(value) + 1));
  RegCloseKey(k);
}

// A preview child in the probe talks to its parent here synchronously: keep
// this thread's windows answering while waiting.
bool WaitPumping(HANDLE process, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD waited = GetTickCount() - start;
    if (waited >= timeoutMs) return false;
    const DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, timeoutMs - waited, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
}

struct Outcome {
  bool started = false;
  bool ended = false;
  DWORD exitCode = 0;
};

// Starts `program` with exactly `commandLine` (the name in it need not be the
// program's) and waits for it; `whileRunning` may act on it meanwhile.
Outcome RunProbe(const std::string& program, std::string commandLine, const char* fault,
                 const std::function<void()>& whileRunning = {}) {
  SetEnvironmentVariableA("MORV_PROBE_FAULT", fault);
  Outcome outcome;
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION info = {};
  const std::string path = test::BesideTestProgram(program.c_str());
  outcome.started = CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &start, &info) != 0;
  SetEnvironmentVariableA("MORV_PROBE_FAULT", nullptr);
  if (!outcome.started) return outcome;
  CloseHandle(info.hThread);
  if (whileRunning) whileRunning();
  outcome.ended = WaitPumping(info.hProcess, 60000);
  if (!outcome.ended) TerminateProcess(info.hProcess, 1);
  GetExitCodeProcess(info.hProcess, &outcome.exitCode);
  CloseHandle(info.hProcess);
  return outcome;
}

std::string Number(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
}

constexpr DWORD Code(int exitCode) { return static_cast<DWORD>(exitCode); }

const char AeDebugKeyPath[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";

class ShellEntryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The probe's copy for the Windows 9x family.
    SetUserString("Software\\Wine\\AppDefaults\\shell_probe9x.exe", "Version", "win98");
    // With a debugger configured, Wine's UnhandledExceptionFilter hands the
    // process to it and never returns a verdict. With none that can start,
    // the verdict is EXCEPTION_EXECUTE_HANDLER, as after Windows' own report.
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, AeDebugKeyPath, 0, nullptr, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &k, nullptr), 0);
    DWORD size = sizeof savedDebugger_;
    hadDebugger_ = RegQueryValueExA(k, "Debugger", nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(savedDebugger_), &size) == 0;
    static const char none[] = "morv-no-such-debugger.exe";
    RegSetValueExA(k, "Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(none), sizeof none);
    RegCloseKey(k);
  }
  static void TearDownTestSuite() {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AeDebugKeyPath, 0, KEY_SET_VALUE, &k) != 0) return;
    if (hadDebugger_) {
      RegSetValueExA(k, "Debugger", 0, REG_SZ, reinterpret_cast<const BYTE*>(savedDebugger_),
                     static_cast<DWORD>(std::strlen(savedDebugger_) + 1));
    } else {
      RegDeleteValueA(k, "Debugger");
    }
    RegCloseKey(k);
  }
  void TearDown() override { SetSaverRunningState(0); }

  static inline char savedDebugger_[MAX_PATH] = {};
  static inline bool hadDebugger_ = false;
};

TEST_F(ShellEntryTest, CommandTailIsTakenAfterTheProgramName) {
  struct Case {
    const char* commandLine;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\Screen Savers\\Morvessantique.scr\" /x", Code(-1)},
      {"\"C:\\Program Files\\Screen Savers\\Morvessantique.scr\"/p 0", Code(-1)},
      {"Morvessantique.scr /p:12", Code(-1)},
      {"MORVES~1.SCR   -x", Code(-1)},
      {"shell_probe.exe /s", 0},
      {"\"C:\\Savers\\Morvessantique.scr\" /S 99", 0},
      {"shell_probe.exe /a 1", Code(-1)},  // the NT family changes no saver password
  };
  for (const Case& c : cases) {
    const Outcome o = RunProbe("shell_probe.exe", c.commandLine, "");
    ASSERT_TRUE(o.started) << c.commandLine;
    EXPECT_TRUE(o.ended) << c.commandLine;
    EXPECT_EQ(o.exitCode, c.exitCode) << c.commandLine;
  }
}

TEST_F(ShellEntryTest, UnclosedQuoteLeavesNoSwitchSoTheDialogOpens) {
  HWND dialog = nullptr;
  const Outcome o = RunProbe("shell_probe.exe", "\"C:\\Savers\\Morvessantique.scr /s", "", [&] {
    for (int i = 0; i < 200 && dialog == nullptr; ++i) {
      Sleep(50);
      dialog = FindWindowA(MAKEINTRESOURCEA(32770), "Morvessantique");
    }
    if (dialog != nullptr) PostMessageA(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_NE(dialog, nullptr);
  EXPECT_TRUE(o.ended);
  EXPECT_EQ(o.exitCode, 1u);  // the dialog's own result
}

TEST_F(ShellEntryTest, PreviewOfALiveWindowRunsAndEndsWithZero) {
  HWND host = test::CreateTestParent(120, 90);
  const Outcome o = RunProbe("shell_probe.exe", "x.scr /p " + Number(host), "");
  EXPECT_EQ(o.exitCode, 0u);
  DestroyWindow(host);
}

struct FaultCase {
  const char* kind;
  const char* tail;
};
const FaultCase Faults[] = {
    {"window", "/s"},
    {"thread", "/s"},
    {"raise", "/s"},
};

TEST_F(ShellEntryTest, FaultOnWin9xClearsTheRunningStateAndEndsWithTheGuardsCode) {
  for (const FaultCase& f : Faults) {
    SetSaverRunningState(1);
    ASSERT_EQ(SaverRunningState(), 1u);
    const Outcome o = RunProbe("shell_probe9x.exe", std::string("probe.scr ") + f.tail, f.kind);
    EXPECT_TRUE(o.ended) << f.kind;
    EXPECT_EQ(o.exitCode, Code(FaultExitCode)) << f.kind;
    EXPECT_EQ(SaverRunningState(), 0u) << f.kind;
  }
}

TEST_F(ShellEntryTest, FaultInAPreviewIsGuardedToo) {
  HWND host = test::CreateTestParent(120, 90);
  SetSaverRunningState(1);
  const Outcome o = RunProbe("shell_probe9x.exe", "probe.scr /p " + Number(host), "window");
  EXPECT_EQ(o.exitCode, Code(FaultExitCode));
  EXPECT_EQ(SaverRunningState(), 0u);
  DestroyWindow(host);
}

TEST_F(ShellEntryTest, FaultOffWin9xLeavesTheRunningStateAlone) {
  SetSaverRunningState(1);
  const Outcome o = RunProbe("shell_probe.exe", "probe.scr /s", "window");
  EXPECT_TRUE(o.ended);
  EXPECT_EQ(o.exitCode, Code(FaultExitCode));
  EXPECT_EQ(SaverRunningState(), 1u);
}

TEST_F(ShellEntryTest, Win9xCopyIsSeenAsWindows9x) {
  // Without a password hook the 9x road still closes on request; "/a" is accepted there.
  const Outcome full = RunProbe("shell_probe9x.exe", "probe.scr /s", "");
  EXPECT_EQ(full.exitCode, 0u);
  const Outcome change = RunProbe("shell_probe9x.exe", "probe.scr /a", "");
  EXPECT_EQ(change.exitCode, 0u);  // change password runs on the 9x family and ends with 0
}

}  // namespace
}  // namespace morv
