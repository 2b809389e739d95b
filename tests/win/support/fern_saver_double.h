// A stand-in for the saver's own window procedure: records what reaches it and
// hands every message on to ShellDefaultProc, as the real one does with the
// messages it does not draw with.
#pragma once

#include <vector>

#include <windows.h>

namespace morv::test {

struct FernSaverDouble {
  std::vector<MSG> received;  // hwnd, message, wParam, lParam of each call, in order
  // Messages answered here with 0 instead of going on to ShellDefaultProc, for
  // tests that must keep the platform's default handling out of the way.
  std::vector<UINT> answeredHere;
};

FernSaverDouble& SaverDouble();
void ResetSaverDouble();
// How many times `message` has reached the double since the last reset.
int TimesReceived(UINT message);

}  // namespace morv::test
