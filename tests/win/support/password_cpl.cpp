// PASSWORD.CPL for the tests (see password_fakes.h). Built a second time with
// MORV_FAKE_WITHOUT_VERIFY: a module that loads but has no VerifyScreenSavePwd.
#include "password_fakes.h"

namespace {

morv::test::FakePasswordControl g_control = {1, 0, nullptr, 0, false, nullptr, 0, 0, false, 0, nullptr};

}  // namespace

extern "C" __declspec(dllexport) morv::test::FakePasswordControl* FakePasswordControlBlock() {
  return &g_control;
}

#ifndef MORV_FAKE_WITHOUT_VERIFY
namespace {

// A prompt's own message loop.
void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  MSG m;
  while (GetTickCount() - start < ms) {
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(5);
  }
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  ++g_control.calls;
  g_control.lastWindow = window;
  g_control.verifyingDuringCall = g_control.shellVerifying != nullptr && *g_control.shellVerifying;
  if (g_control.cursorDuringCall != nullptr) SetCursor(g_control.cursorDuringCall);
  if (g_control.sendDuringCall != 0) {
    g_control.sentAnswer = SendMessageA(window, g_control.sendDuringCall, 0, 0);
  }
  if (g_control.postCloseDuringCall) PostMessageA(window, WM_CLOSE, 0, 0);
  if (g_control.pumpMs != 0) Pump(g_control.pumpMs);
  g_control.lastCallTick = GetTickCount();
  return g_control.answer;
}
#endif
