#include "fern_start.h"

#include "level_stats.h"

namespace morv {

PrecomputeResult StartFerns(FernStore& store, AnimationState& animation, DrawSink& sink,
                            const FernStart& start, const ProgressPort& port,
                            ProgressState& progress) {
  FreeFerns(store);
  sink.Reserve(0);  // the old size's memory back before the new ferns need theirs
  if (start.freshAnimation) {
    ResetAnimation(animation);
    StartAnimation(animation, start.width, start.height, start.fastMadness);
  }
  const PrecomputeResult result =
      PrecomputeFerns(store, start.width, start.height, port, progress);
  ApplyPrecomputeResult(animation, result);
  sink.Reserve(LargestLevelSegments(store));  // if that fails the sink draws line by line
  return result;
}

}  // namespace morv
