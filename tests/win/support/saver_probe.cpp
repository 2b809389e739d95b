// A small saver for the start-up tests: the real GUI entry and ShellStart with
// a stand-in saver procedure. Once its window exists it ends the run by
// destroying the window, or it faults, as the environment variable
// MORV_PROBE_FAULT says: "window" (a null write in the window procedure),
// "thread" (a null write on a second thread, as on the progress dialog's),
// "raise" (a software exception), anything else or unset: no fault.
#include <cstring>

#include <windows.h>

#include "close_policy.h"
#include "fern_saver_proc.h"
#include "shell_start.h"

namespace {

constexpr UINT ProbeGo = WM_APP + 0x100;

void NullWrite() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

DWORD WINAPI FaultingThread(void*) {
  NullWrite();
  return 0;
}

void ActAsTold(HWND window) {
  char kind[16] = {};
  GetEnvironmentVariableA("MORV_PROBE_FAULT", kind, sizeof kind);
  if (std::strcmp(kind, "window") == 0) {
    NullWrite();
  } else if (std::strcmp(kind, "thread") == 0) {
    HANDLE thread = CreateThread(nullptr, 0, FaultingThread, nullptr, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
  } else if (std::strcmp(kind, "raise") == 0) {
    RaiseException(0xE0DE0001, 0, 0, nullptr);
  } else {
    DestroyWindow(window);
  }
}

}  // namespace

namespace morv {

LRESULT CALLBACK FernSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) PostMessageA(window, ProbeGo, 0, 0);
  if (message == ProbeGo) {
    ActAsTold(window);
    return 0;
  }
  return ShellDefaultProc(window, message, wParam, lParam);
}

bool FollowDisplays(HWND, const DisplayChange&) { return true; }
bool ComputeLackingFerns() { return false; }
void AbortComputation() {}
int SurfaceBitsPerPixel() { return 0; }

}  // namespace morv

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { morv::ShellStart(); }
