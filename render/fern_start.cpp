#include "fern_start.h"

#include "level_stats.h"

namespace morv {
namespace {

// Puts the progress of several sizes' runs into one pair of lines. The run of
// one size asks before each depth level, vertical pass first, and writes a
// fern's line after the first level of each generation and once at the end;
// counting the levels begun tells which generation that is, over all sizes.
struct CombinedProgress {
  const ProgressPort* outer;
  int totalLevels[2];    // per fern: the sum of every size's level count
  int levelsBegun[2];    // per fern: depth levels begun so far, all sizes
  int sizeVerticalDepths;  // of the size being computed: 5 x its vertical level count
  int sizeLevelsBegun;

  static void BeforeLevel(void* context) {
    auto& c = *static_cast<CombinedProgress*>(context);
    const int fern = c.sizeLevelsBegun < c.sizeVerticalDepths ? Vertical : Horizontal;
    ++c.levelsBegun[fern];
    ++c.sizeLevelsBegun;
    if (c.outer->beforeLevel != nullptr) c.outer->beforeLevel(c.outer->context);
  }

  // Written after depth level 5g (5g + 1 levels begun in that pass) and after
  // the pass's last level (5n begun): a fifth of the levels begun is the
  // generation either way, and the sizes before count whole.
  static void SetText(void* context, int controlId, const char*) {
    auto& c = *static_cast<CombinedProgress*>(context);
    const FernOrientation fern = controlId == VerticalStatusControl ? Vertical : Horizontal;
    char line[ProgressLineChars];
    FormatProgressLine(line, fern, c.levelsBegun[fern] / GrowthPhases, c.totalLevels[fern]);
    if (c.outer->setText != nullptr) c.outer->setText(c.outer->context, controlId, line);
  }
};

}  // namespace

PrecomputeResult StartFerns(FernStore& store, AnimationState& animation, DrawSink& sink,
                            const FernStart& start, const ProgressPort& port,
                            ProgressState& progress) {
  FreeFerns(store);
  sink.Reserve(0);  // the old size's memory back before the new ferns need theirs
  ResetAnimation(animation);
  StartAnimation(animation, start.width, start.height, start.fastMadness);
  const PrecomputeResult result =
      PrecomputeFerns(store, start.width, start.height, port, progress);
  ApplyPrecomputeResult(animation, result);
  sink.Reserve(LargestLevelSegments(store));  // if that fails the sink draws line by line
  return result;
}

PrecomputeResult StartFernSizes(const SizedStore* sizes, int count, PrecomputeResult* results,
                                DrawSink& sink, const ProgressPort& port,
                                ProgressState& progress) {
  for (int i = 0; i < count; ++i) FreeFerns(*sizes[i].store);
  sink.Reserve(0);
  CombinedProgress combined{&port, {0, 0}, {0, 0}, 0, 0};
  for (int i = 0; i < count; ++i) {
    combined.totalLevels[Vertical] += LevelCount(sizes[i].height / 5);
    combined.totalLevels[Horizontal] += LevelCount(sizes[i].width / 5);
  }
  const ProgressPort combinedPort{&combined, &CombinedProgress::BeforeLevel,
                                  &CombinedProgress::SetText};
  PrecomputeResult overall{PrecomputeOutcome::Completed, 0, 0, 0, Vertical};
  bool stopped = false;
  std::int64_t largest = 0;
  for (int i = 0; i < count; ++i) {
    combined.sizeVerticalDepths = GrowthPhases * LevelCount(sizes[i].height / 5);
    combined.sizeLevelsBegun = 0;
    results[i] = PrecomputeFerns(*sizes[i].store, sizes[i].width, sizes[i].height, combinedPort,
                                 progress);
    if (i == 0 || (!stopped && results[i].outcome != PrecomputeOutcome::Completed)) {
      overall = results[i];
    }
    stopped = stopped || results[i].outcome != PrecomputeOutcome::Completed;
    const std::int64_t level = LargestLevelSegments(*sizes[i].store);
    if (level > largest) largest = level;
  }
  sink.Reserve(largest);
  return overall;
}

}  // namespace morv
