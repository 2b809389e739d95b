#include "fern_saver_double.h"

#include "close_policy.h"
#include "fern_saver_proc.h"

namespace morv {
namespace test {
namespace {
FernSaverDouble g_double;
}

FernSaverDouble& SaverDouble() { return g_double; }

void ResetSaverDouble() { g_double = FernSaverDouble{}; }

int TimesReceived(UINT message) {
  int n = 0;
  for (const MSG& m : g_double.received) n += (m.message == message) ? 1 : 0;
  return n;
}

}  // namespace test

LRESULT CALLBACK FernSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG m = {};
  m.hwnd = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  test::g_double.received.push_back(m);
  for (UINT own : test::g_double.answeredHere) {
    if (own == message) return 0;
  }
  return ShellDefaultProc(window, message, wParam, lParam);
}

}  // namespace morv
