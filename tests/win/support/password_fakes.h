// Stand-ins for the Windows 9x family's password components, built as
// PASSWORD.CPL and MPR.DLL and placed next to the password tests, where the
// shell's LoadLibraryA finds them. The tests steer and read them through the
// records below.
#pragma once

#include <windows.h>

namespace morv::test {

// PASSWORD.CPL's VerifyScreenSavePwd: answers as told, counts its calls, and can
// behave like a prompt that runs its own message loop.
struct FakePasswordControl {
  LONG answer;               // what the check returns; 1 until a test says otherwise
  int calls;
  HWND lastWindow;
  DWORD lastCallTick;
  bool verifyingDuringCall;  // what the test reads back through `shellVerifying`
  const bool* shellVerifying;  // the shell's flag, for the record above
  UINT sendDuringCall;       // a message sent to the saver window inside the check (0: none)
  LRESULT sentAnswer;
  bool postCloseDuringCall;  // queue a close request inside the check ...
  DWORD pumpMs;              // ... and run a message loop this long, as a dialog would
  HCURSOR cursorDuringCall;  // a prompt shows the cursor
};

using FakePasswordControlFn = FakePasswordControl* (*)();
constexpr char FakePasswordControlName[] = "FakePasswordControlBlock";

// MPR.DLL's PwdChangePasswordA writes each call into the process environment
// (which outlives the module): MORV_FAKE_MPR_CALLS is the count and
// MORV_FAKE_MPR_LAST is "<provider>|<window number>|<reserved1>|<reserved2>".
constexpr char FakeMprCallsVariable[] = "MORV_FAKE_MPR_CALLS";
constexpr char FakeMprLastVariable[] = "MORV_FAKE_MPR_LAST";

}  // namespace morv::test
