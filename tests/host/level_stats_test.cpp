#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "animation.h"
#include "fern_fixture.h"
#include "level_stats.h"
#include "recording_sink.h"

namespace morv {
namespace {

using LevelStatsTest = testing::FernTest;

// Records `counts[d]` segments at depth level d of one fern.
void RecordLevels(FernStore& store, FernOrientation fern, const std::vector<int>& counts) {
  BeginPass(store, fern);
  for (int d = 0; d < static_cast<int>(counts.size()); ++d) {
    store.recordingDepth = d;
    for (int i = 0; i < counts[d]; ++i) ASSERT_TRUE(RecordSegment(store, 0, 0, 1, 1, 0));
  }
}

TEST_F(LevelStatsTest, NothingComputedHasNoLevel) { EXPECT_EQ(LargestLevelSegments(store_), 0); }

TEST_F(LevelStatsTest, TheLargestLevelOfEitherFernCounts) {
  struct Case {
    const char* name;
    std::vector<int> vertical, horizontal;
    std::int64_t largest;
  } cases[] = {
      {"vertical only", {1, 3, 2}, {}, 3},
      {"horizontal only", {}, {2, 5, 1}, 5},
      {"vertical larger", {1, 9}, {4, 4, 4}, 9},
      {"horizontal larger", {1, 2}, {1, 1, 1, 7}, 7},
      {"the last level", {1, 1, 1, 1, 6}, {}, 6},
      {"first record deeper than level 0", {0, 0, 4}, {0, 3}, 4},
      {"empty levels between", {2, 0, 0, 3}, {0}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreeFerns(store_);
    RecordLevels(store_, Vertical, c.vertical);
    RecordLevels(store_, Horizontal, c.horizontal);
    EXPECT_EQ(LargestLevelSegments(store_), c.largest);
  }
}

TEST_F(LevelStatsTest, MatchesTheMostLinesAnyTickDraws) {
  for (const auto& [width, height] : {std::pair{640, 480}, std::pair{333, 157}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    FreeFerns(store_);
    const PrecomputeResult result = Compute(width, height);
    ASSERT_EQ(result.outcome, PrecomputeOutcome::Completed);
    AnimationState state;
    ResetAnimation(state);
    StartAnimation(state, width, height, true);
    ApplyPrecomputeResult(state, result);
    std::int64_t most = 0;
    std::int64_t total = 0;
    const int drawingTicks = GrowthPhases * (result.verticalLevels + result.horizontalLevels);
    while (total < drawingTicks) {
      RecordingSink sink;
      if (AnimationTick(state, store_, sink) != TickKind::Drawing) continue;
      ++total;
      most = std::max<std::int64_t>(
          most, std::count_if(sink.ops.begin(), sink.ops.end(),
                              [](const DrawOp& op) { return op.kind == DrawOpKind::Line; }));
    }
    EXPECT_GT(most, 0);
    EXPECT_EQ(LargestLevelSegments(store_), most);
  }
}

}  // namespace
}  // namespace morv
