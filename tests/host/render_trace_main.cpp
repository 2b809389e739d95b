// Prints the drawing operations of both ferns, once each, for every size given
// as WxH, in the tool's trace format; built against differently compiled
// libraries so that their outputs can be compared.
#include <cstdio>

#include "animation.h"
#include "precompute.h"
#include "recording_sink.h"
#include "segment_store.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    int width = 0;
    int height = 0;
    if (std::sscanf(argv[i], "%dx%d", &width, &height) != 2) return 2;
    morv::FernStore& store = morv::Store();
    const morv::ProgressPort quiet{nullptr, nullptr, nullptr};
    const morv::PrecomputeResult result =
        morv::PrecomputeFerns(store, width, height, quiet, morv::Progress());
    morv::AnimationState& animation = morv::Animation();
    morv::ResetAnimation(animation);
    morv::StartAnimation(animation, width, height, false);
    morv::ApplyPrecomputeResult(animation, result);
    morv::PrintingSink sink(stdout);
    // Both ferns, each with its end-of-fern tick and pause.
    const int ticks = morv::GrowthPhases * (result.verticalLevels + result.horizontalLevels) + 2 +
                      2 * -morv::PauseCounterStart(morv::NormalTickMs);
    for (int t = 0; t < ticks; ++t) morv::AnimationTick(animation, store, sink);
    morv::FreeFerns(store);
  }
  return 0;
}
