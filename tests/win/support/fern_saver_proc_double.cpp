// The stand-in FernSaverProc itself, apart from its record (fern_saver_double.cpp),
// so that tests with the real saver procedure can share the rest of the support.
#include "close_policy.h"
#include "fern_saver_double.h"
#include "fern_saver_proc.h"

namespace morv {

LRESULT CALLBACK FernSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  test::SaverDouble().received.push_back(MSG{window, message, wParam, lParam, 0, {}});
  for (UINT own : test::SaverDouble().answeredHere) {
    if (own == message) return 0;
  }
  return ShellDefaultProc(window, message, wParam, lParam);
}

bool FollowDisplays(HWND, const DisplayChange&) { return true; }
bool ComputeLackingFerns() { return false; }
void AbortComputation() {}
int SurfaceBitsPerPixel() { return 0; }

}  // namespace morv
