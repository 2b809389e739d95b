#include "fern_saver_double.h"


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

}  // namespace morv
