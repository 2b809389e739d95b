// Starting the ferns on a surface, as every front end does at start-up and
// after a resize.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
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
  Start({640, 480, false, true});
  const long firstSize = CountingAllocator::live;
  animation_.currentDepth = 37;
  animation_.orientation = Horizontal;
  animation_.color = DrawColor{9, 9, 9};

  const PrecomputeResult result = Start({320, 240, true, true});
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

TEST_F(FernStartTest, AWindowStartedAtCreationKeepsItsPauseAndColour) {
  StartAnimation(animation_, 640, 480, false);
  animation_.pauseCounter = -30;  // a tick before the computation began a pause
  StepDrawColor(animation_.color);
  const DrawColor stepped = animation_.color;
  Start({640, 480, false, false});
  EXPECT_EQ(animation_.pauseCounter, -30);
  EXPECT_TRUE(Same(animation_.color, stepped));
  EXPECT_EQ(animation_.verticalLevels, 22);
  EXPECT_EQ(animation_.currentDepth, 0);
}

TEST_F(FernStartTest, AStoppedRunStillStartsTheAnimationOnWhatItKept) {
  CountingAllocator::Reset(/*failAfterCount=*/1000);
  const PrecomputeResult result = Start({640, 480, false, true});
  EXPECT_EQ(result.outcome, PrecomputeOutcome::OutOfMemory);
  EXPECT_EQ(animation_.verticalLevels, 22);
  EXPECT_EQ(animation_.currentDepth, 0);
  EXPECT_EQ(animation_.orientation, Vertical);
  EXPECT_EQ(sink_.reserved.back(), LargestLevelSegments(store_));
}

// Two sizes in one run, as the monitors of a desktop get them.
class FernSizesTest : public FernStartTest {
 protected:
  void SetUp() override {
    FernStartTest::SetUp();
    ResetFernStore(second_);
  }
  void TearDown() override {
    FreeFerns(second_);
    FernStartTest::TearDown();
  }
  PrecomputeResult StartBoth(testing::ProgressRecorder& recorder) {
    const SizedStore sizes[] = {{160, 120, &store_}, {120, 90, &second_}};
    return StartFernSizes(sizes, 2, results_, sink_, recorder.Port(), recorder.state);
  }
  FernStore second_;
  PrecomputeResult results_[2];
};

TEST_F(FernSizesTest, EachLineCountsItsFernsGenerationsOverEverySize) {
  testing::ProgressRecorder recorder;
  EXPECT_EQ(StartBoth(recorder).outcome, PrecomputeOutcome::Completed);
  const int vertical[] = {LevelCount(120 / 5), LevelCount(90 / 5)};
  const int horizontal[] = {LevelCount(160 / 5), LevelCount(120 / 5)};
  EXPECT_EQ(results_[0].verticalLevels, vertical[0]);
  EXPECT_EQ(results_[1].horizontalLevels, horizontal[1]);
  // Per size, its vertical pass then its horizontal one; each line goes on
  // from where the sizes before left it, up to the sum of both counts.
  std::vector<std::pair<int, std::string>> expected;
  char line[ProgressLineChars];
  int done[2] = {0, 0};
  const int total[2] = {vertical[0] + vertical[1], horizontal[0] + horizontal[1]};
  for (int size = 0; size < 2; ++size) {
    for (FernOrientation fern : {Vertical, Horizontal}) {
      const int levels = fern == Vertical ? vertical[size] : horizontal[size];
      const int control = fern == Vertical ? VerticalStatusControl : HorizontalStatusControl;
      for (int g = 0; g <= levels; ++g) {
        FormatProgressLine(line, fern, done[fern] + g, total[fern]);
        expected.emplace_back(control, line);
      }
      done[fern] += levels;
    }
  }
  EXPECT_EQ(recorder.texts, expected);
  EXPECT_EQ(recorder.levelCalls, 5 * (total[0] + total[1]));
  EXPECT_EQ(sink_.reserved, (std::vector<std::int64_t>{
                                0, std::max(LargestLevelSegments(store_),
                                            LargestLevelSegments(second_))}));
}

TEST_F(FernSizesTest, ASizeOutOfMemoryKeepsItsLevelsAndTheNextSizeStillRuns) {
  CountingAllocator::Reset(/*failAfterCount=*/1000);
  second_.allocator = DefaultSegmentAllocator();
  testing::ProgressRecorder recorder;
  const PrecomputeResult overall = StartBoth(recorder);
  EXPECT_EQ(overall.outcome, PrecomputeOutcome::OutOfMemory);
  EXPECT_EQ(results_[0].outcome, PrecomputeOutcome::OutOfMemory);
  EXPECT_GT(ChainLength(store_.vertical[0]), 0);
  EXPECT_EQ(results_[1].outcome, PrecomputeOutcome::Completed);
  EXPECT_NE(second_.horizontal[0], nullptr);
}

}  // namespace
}  // namespace morv
