// Starting the ferns on a surface, as every front end does at start-up and
// after a resize.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fern_fixture.h"
#include "fern_start.h"
#include "level_stats.h"

namespace morv {
namespace {

using testing::CountingAllocator;

bool Same(DrawColor a, DrawColor b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// Keeps nothing, but remembers every size it was asked to make room for.
struct ReservingSink : DrawSink {
  void Clear() override {}
  void Color(std::uint8_t, std::uint8_t, std::uint8_t) override {}
  void Line(double, double, double, double) override {}
  void Flush() override {}
  bool Reserve(std::int64_t lines) override {
    reserved.push_back(lines);
    return true;
  }
  std::vector<std::int64_t> reserved;
};

class FernStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFernStore(store_);
    CountingAllocator::Reset();
    store_.allocator = CountingAllocator::Get();
    ResetAnimation(animation_);
  }
  void TearDown() override { FreeFerns(store_); }
  PrecomputeResult Start(const FernStart& start) {
    const ProgressPort quiet{nullptr, nullptr, nullptr};
    return StartFerns(store_, animation_, sink_, start, quiet, progress_);
  }
  FernStore store_;
  AnimationState animation_;
  ReservingSink sink_;
  ProgressState progress_{};
};

TEST_F(FernStartTest, ANewSizeReplacesTheFernsAndRestartsTheAnimationOnThem) {
  Start({640, 480, false});
  const long firstSize = CountingAllocator::live;
  animation_.currentDepth = 37;
  animation_.orientation = Horizontal;
  animation_.color = DrawColor{9, 9, 9};

  const PrecomputeResult result = Start({320, 240, true});
  EXPECT_EQ(result.outcome, PrecomputeOutcome::Completed);
  EXPECT_LT(CountingAllocator::live, firstSize) << "the 640x480 ferns are freed";
  EXPECT_EQ(CountingAllocator::live, ChainLength(store_.vertical[0]) + ChainLength(store_.horizontal[0]));
  EXPECT_EQ(animation_.clientWidth, 320);
  EXPECT_EQ(animation_.clientHeight, 240);
  EXPECT_EQ(animation_.tickIntervalMs, FastTickMs);
  EXPECT_EQ(animation_.verticalLevels, 19);
  EXPECT_EQ(animation_.horizontalLevels, 21);
  EXPECT_EQ(animation_.currentDepth, 0);
  EXPECT_EQ(animation_.orientation, Vertical);
  EXPECT_TRUE(Same(animation_.color, StartColor));
  // Each start gives the old room back before computing, then sizes for the largest level.
  const std::vector<std::int64_t> rooms = {0, sink_.reserved[1], 0, LargestLevelSegments(store_)};
  EXPECT_EQ(sink_.reserved, rooms);
}

TEST_F(FernStartTest, AStoppedRunStillStartsTheAnimationOnWhatItKept) {
  CountingAllocator::Reset(/*failAfterCount=*/1000);
  const PrecomputeResult result = Start({640, 480, false});
  EXPECT_EQ(result.outcome, PrecomputeOutcome::OutOfMemory);
  EXPECT_EQ(animation_.verticalLevels, 22);
  EXPECT_EQ(animation_.currentDepth, 0);
  EXPECT_EQ(animation_.orientation, Vertical);
  EXPECT_EQ(sink_.reserved.back(), LargestLevelSegments(store_));
}

TEST_F(FernStartTest, SeveralSizesRunAsOneAndEachKeepsWhatItComputed) {
  FernStore second;
  ResetFernStore(second);
  const SizedStore sizes[] = {{160, 120, &store_}, {120, 90, &second}};
  PrecomputeResult results[2];
  testing::ProgressRecorder recorder;
  StartFernSizes(sizes, 2, results, sink_, recorder.Port(), recorder.state);
  // Each line goes on from where the first size left it, to the sum of both counts.
  const int v[] = {LevelCount(120 / 5), LevelCount(90 / 5)};
  const int h[] = {LevelCount(160 / 5), LevelCount(120 / 5)};
  const std::size_t firstSizeLines = v[0] + 1 + h[0] + 1;
  ASSERT_EQ(recorder.texts.size(), firstSizeLines + v[1] + 1 + h[1] + 1);
  char line[ProgressLineChars];
  FormatProgressLine(line, Vertical, v[0], v[0] + v[1]);
  EXPECT_EQ(recorder.texts[firstSizeLines].second, line);
  FormatProgressLine(line, Vertical, v[0] + v[1], v[0] + v[1]);
  EXPECT_EQ(recorder.texts[firstSizeLines + v[1]].second, line);
  FormatProgressLine(line, Horizontal, h[0] + h[1], h[0] + h[1]);
  EXPECT_EQ(recorder.texts.back().second, line);
  EXPECT_EQ(sink_.reserved.back(),
            std::max(LargestLevelSegments(store_), LargestLevelSegments(second)));

  // Out of memory in the first size: it keeps its levels; the second still runs.
  CountingAllocator::Reset(/*failAfterCount=*/1000);
  const ProgressPort quiet{nullptr, nullptr, nullptr};
  EXPECT_EQ(StartFernSizes(sizes, 2, results, sink_, quiet, progress_).outcome,
            PrecomputeOutcome::OutOfMemory);
  EXPECT_GT(ChainLength(store_.vertical[0]), 0);
  EXPECT_EQ(results[1].outcome, PrecomputeOutcome::Completed);
  EXPECT_NE(second.horizontal[0], nullptr);
  FreeFerns(second);
}

}  // namespace
}  // namespace morv
