#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fern_fixture.h"
#include "precompute.h"

namespace morv {
namespace {

using testing::CountingAllocator;
using testing::ProgressRecorder;
using PrecomputeTest = testing::FernTest;

TEST(LevelCount, FollowsTheMainStemDownToOnePixel) {
  const struct {
    int width, height, vertical, horizontal;
  } cases[] = {{640, 480, 22, 24},   {800, 600, 24, 25},   {1024, 768, 25, 26},
               {1280, 1024, 26, 27}, {1920, 1080, 26, 29}, {320, 240, 19, 21},
               {152, 112, 15, 17},   {10, 14, 4, 4},       {15, 19, 6, 6},
               {9, 9, 0, 0},         {1, 1, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(LevelCount(c.height / 5), c.vertical) << c.width << "x" << c.height;
    EXPECT_EQ(LevelCount(c.width / 5), c.horizontal) << c.width << "x" << c.height;
  }
  EXPECT_EQ(LevelCount(161364 / 5), 50) << "the last size that needs no cap";
  EXPECT_EQ(LevelCount(161365 / 5), 50);
  EXPECT_EQ(LevelCount(1 << 30), 50) << "capped";
}

TEST(RootBranch, StartsAtTheMiddleOfTheBottomAndRightEdges) {
  const RootBranch v = VerticalRoot(641, 483);
  EXPECT_EQ(v.startX, 320);
  EXPECT_EQ(v.startY, 483);
  EXPECT_EQ(v.length, 96.0);
  EXPECT_EQ(v.angleSteps, 0);
  const RootBranch h = HorizontalRoot(641, 483);
  EXPECT_EQ(h.startX, 641);
  EXPECT_EQ(h.startY, 241);
  EXPECT_EQ(h.length, 128.0);
  EXPECT_EQ(h.angleSteps, 54) << "270 degrees in steps of 5";
}

TEST_F(PrecomputeTest, ACompleteRunReportsEveryGenerationAndEndsAtLevelZero) {
  ProgressRecorder recorder;
  const PrecomputeResult r = PrecomputeFerns(store_, 640, 480, recorder.Port(), recorder.state);
  EXPECT_EQ(r.outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(r.verticalLevels, 22);
  EXPECT_EQ(r.horizontalLevels, 24);
  EXPECT_EQ(r.depthLevel, 0);
  EXPECT_EQ(r.stoppedIn, Vertical);
  EXPECT_TRUE(store_.runStarted);
  EXPECT_EQ(recorder.levelCalls, 230);

  std::vector<std::pair<int, std::string>> expected;
  for (int g = 0; g <= 22; ++g) {
    expected.emplace_back(1000, "Computed depth " + std::to_string(g) + " of 22 for vertical fern.");
  }
  for (int g = 0; g <= 24; ++g) {
    expected.emplace_back(1001,
                          "Computed depth " + std::to_string(g) + " of 24 for horizontal fern.");
  }
  EXPECT_EQ(recorder.texts, expected);
}

TEST_F(PrecomputeTest, AnAbortStopsBeforeTheLevelWithCompleteLevelsOnly) {
  const struct {
    int abortAtCall;
    FernOrientation pass;
    int depth;
  } cases[] = {{0, Vertical, 0}, {7, Vertical, 7}, {109, Vertical, 109},
               {110, Horizontal, 0}, {113, Horizontal, 3}, {229, Horizontal, 119}};
  for (const auto& c : cases) {
    FreeFerns(store_);
    ProgressRecorder recorder;
    recorder.abortAtCall = c.abortAtCall;
    const PrecomputeResult r = PrecomputeFerns(store_, 640, 480, recorder.Port(), recorder.state);
    SCOPED_TRACE(c.abortAtCall);
    EXPECT_EQ(r.outcome, PrecomputeOutcome::Aborted);
    EXPECT_EQ(r.stoppedIn, c.pass);
    EXPECT_EQ(r.depthLevel, c.depth);
    EXPECT_EQ(recorder.levelCalls, c.abortAtCall + 1) << "no level call after the abort";
    const DepthIndex& table = c.pass == Vertical ? store_.vertical : store_.horizontal;
    for (int d = 0; d < DepthIndexSlots; ++d) {
      EXPECT_EQ(table[d] != nullptr, d < c.depth) << "slot " << d;
    }
    if (c.pass == Horizontal) {
      EXPECT_EQ(ChainLength(store_.vertical[0]), 80490);
    } else {
      EXPECT_EQ(store_.horizontal[0], nullptr);
    }
    // One line per generation begun, and no final line for the stopped pass.
    const int control = c.pass == Vertical ? 1000 : 1001;
    int lines = 0;
    for (const auto& text : recorder.texts) lines += text.first == control;
    EXPECT_EQ(lines, (c.depth + 4) / 5);
  }
}

TEST_F(PrecomputeTest, AnAbortRaisedBeforeTheRunStopsItBeforeItsFirstLevel) {
  ProgressRecorder recorder;
  recorder.state.abortFlag.store(1);
  const PrecomputeResult r = PrecomputeFerns(store_, 640, 480, recorder.Port(), recorder.state);
  EXPECT_EQ(r.outcome, PrecomputeOutcome::Aborted);
  EXPECT_EQ(r.depthLevel, 0);
  EXPECT_EQ(store_.vertical[0], nullptr);
  EXPECT_TRUE(store_.runStarted) << "a stopped run still counts as run";
}

TEST_F(PrecomputeTest, AWindowUnderTenPixelsHighKeepsItsHorizontalFernApart) {
  ProgressRecorder recorder;
  const PrecomputeResult r = PrecomputeFerns(store_, 640, 9, recorder.Port(), recorder.state);
  EXPECT_EQ(r.outcome, PrecomputeOutcome::Completed);
  EXPECT_EQ(r.verticalLevels, 0);
  EXPECT_EQ(r.horizontalLevels, 24);
  EXPECT_EQ(recorder.levelCalls, 120) << "the empty vertical pass sends no level call";
  ASSERT_FALSE(recorder.texts.empty());
  EXPECT_EQ(recorder.texts.front(),
            std::make_pair(1000, std::string("Computed depth 0 of 0 for vertical fern.")));
  for (int d = 0; d < DepthIndexSlots; ++d) EXPECT_EQ(store_.vertical[d], nullptr) << d;
  for (int d = 0; d < 120; ++d) EXPECT_NE(store_.horizontal[d], nullptr) << d;
  EXPECT_TRUE(store_.runStarted);
}

TEST_F(PrecomputeTest, RunningOutOfMemoryKeepsCompleteLevelsAndLeaksNothing) {
  // Fail in the vertical pass (inside level 7) and in the horizontal pass.
  for (long failAfter : {0L, 20L, 80490L + 55L}) {
    FreeFerns(store_);
    CountingAllocator::Reset(failAfter);
    ProgressRecorder recorder;
    const PrecomputeResult r = PrecomputeFerns(store_, 640, 480, recorder.Port(), recorder.state);
    SCOPED_TRACE(failAfter);
    EXPECT_EQ(r.outcome, PrecomputeOutcome::OutOfMemory);
    const DepthIndex& table = r.stoppedIn == Vertical ? store_.vertical : store_.horizontal;
    long kept = 0;
    for (const Segment* s = table[0]; s != nullptr; s = s->next, ++kept) {
      EXPECT_LT(s->depth, r.depthLevel) << "only complete levels stay";
    }
    EXPECT_EQ(table[r.depthLevel], nullptr);
    EXPECT_EQ(CountingAllocator::live,
              kept + (r.stoppedIn == Horizontal ? ChainLength(store_.vertical[0]) : 0));
    EXPECT_EQ(store_.listTail, nullptr);
  }
  EXPECT_EQ(CountingAllocator::live, ChainLength(store_.vertical[0]) + ChainLength(store_.horizontal[0]));
}

TEST_F(PrecomputeTest, ProgressLinesUseTheDialogsFormats) {
  char line[ProgressLineChars];
  FormatProgressLine(line, Vertical, 3, 22);
  EXPECT_STREQ(line, "Computed depth 3 of 22 for vertical fern.");
  FormatProgressLine(line, Horizontal, 24, 24);
  EXPECT_STREQ(line, "Computed depth 24 of 24 for horizontal fern.");
}

}  // namespace
}  // namespace morv
