#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "animation.h"
#include "fern_fixture.h"
#include "recording_sink.h"

namespace morv {
namespace {

using testing::ProgressRecorder;

int Kinds(const RecordingSink& sink, DrawOpKind kind) {
  int n = 0;
  for (const DrawOp& op : sink.ops) n += op.kind == kind;
  return n;
}

std::vector<DrawOpKind> KindsInOrder(const RecordingSink& sink) {
  std::vector<DrawOpKind> kinds;
  for (const DrawOp& op : sink.ops) kinds.push_back(op.kind);
  return kinds;
}

// A store built by hand on a 1000 by 1000 surface. Every line's start point
// says which fern and which level it belongs to: x = level, y = fern (0 or 1),
// so a drawn line can be traced back to the slot it was read from.
class AnimationTest : public ::testing::Test {
 protected:
  static constexpr int Size = 1000;

  void SetUp() override {
    ResetFernStore(store_);
    ResetAnimation(state_);
    StartAnimation(state_, Size, Size, false);
  }
  void TearDown() override { FreeFerns(store_); }

  // Fills levels 0..depths-1 of a fern with `perLevel` lines each, except the
  // levels listed as empty, and sets its level count.
  void BuildFern(FernOrientation fern, int levelCount, int depths = -1, int perLevel = 1,
                 std::vector<int> empty = {}) {
    if (depths < 0) depths = GrowthPhases * levelCount;
    BeginPass(store_, fern);
    for (int d = 0; d < depths; ++d) {
      if (std::find(empty.begin(), empty.end(), d) != empty.end()) continue;
      store_.recordingDepth = d;
      for (int i = 0; i < perLevel; ++i) {
        ASSERT_TRUE(RecordSegment(store_, d, fern, d + i, fern + 500, 0));
      }
    }
    store_.listTail = nullptr;
    (fern == Vertical ? state_.verticalLevels : state_.horizontalLevels) = levelCount;
  }

  struct Traced {
    int fern;
    int level;
  };
  static Traced TraceBack(const DrawOp& line) {
    return {static_cast<int>(std::lround((1 - line.y1) * Size / 2)),
            static_cast<int>(std::lround((line.x1 + 1) * Size / 2))};
  }

  TickKind Tick() { return AnimationTick(state_, store_, sink_); }

  FernStore store_;
  AnimationState state_;
  RecordingSink sink_;
};

TEST_F(AnimationTest, PauseTickCountsTheCounterUpAndDoesNothingElse) {
  BuildFern(Vertical, 1);
  state_.pauseCounter = -3;
  const DrawColor before = state_.color;
  EXPECT_EQ(Tick(), TickKind::Pause);
  EXPECT_EQ(state_.pauseCounter, -2);
  EXPECT_EQ(state_.currentDepth, 0);
  EXPECT_TRUE(sink_.ops.empty());
  EXPECT_EQ(state_.color.red, before.red);
}

TEST_F(AnimationTest, EndOfFernTickTogglesTheFernAndStartsThePauseForTheInterval) {
  const struct {
    bool fast;
    int pause;
  } cases[] = {{false, -80}, {true, -400}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fast ? "10 ms" : "50 ms");
    FreeFerns(store_);
    ResetAnimation(state_);
    StartAnimation(state_, Size, Size, c.fast);
    BuildFern(Vertical, 1);
    BuildFern(Horizontal, 1);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(Tick(), TickKind::Drawing);
    sink_.ops.clear();
    const DrawColor colour = state_.color;
    EXPECT_EQ(Tick(), TickKind::EndOfFern);
    EXPECT_EQ(state_.orientation, Horizontal);
    EXPECT_EQ(state_.currentDepth, 0);
    EXPECT_EQ(state_.pauseCounter, c.pause);
    EXPECT_TRUE(sink_.ops.empty()) << "the finished fern stays: no clear, no drawing";
    EXPECT_EQ(state_.color.red, colour.red) << "no colour step";
    for (int i = 0; i < -c.pause; ++i) ASSERT_EQ(Tick(), TickKind::Pause) << i;
    EXPECT_TRUE(sink_.ops.empty());
    EXPECT_EQ(Tick(), TickKind::Drawing);
    ASSERT_FALSE(sink_.ops.empty());
    EXPECT_EQ(sink_.ops[0].kind, DrawOpKind::Clear) << "the next fern begins with a clear";
  }
}

TEST_F(AnimationTest, OrientationToggleKeepsOnlyTheLowestBit) {
  state_.orientation = 1;
  EXPECT_EQ(Tick(), TickKind::EndOfFern);
  EXPECT_EQ(state_.orientation, 0);
  state_.pauseCounter = 0;
  EXPECT_EQ(Tick(), TickKind::EndOfFern);
  EXPECT_EQ(state_.orientation, 1);
}

TEST(PauseCounterStart, IsMinus4000DividedByTheIntervalTruncated) {
  const struct {
    int interval, start;
  } cases[] = {{50, -80}, {10, -400}, {3, -1333}, {4000, -1}, {4001, 0}, {0, 0}, {-5, 0}};
  for (const auto& c : cases) EXPECT_EQ(PauseCounterStart(c.interval), c.start) << c.interval;
}

TEST_F(AnimationTest, AFernWithNoLevelsIsSkippedWithoutClearingOrDrawing) {
  BuildFern(Vertical, 0);
  BuildFern(Horizontal, 2);
  EXPECT_EQ(Tick(), TickKind::EndOfFern);
  EXPECT_TRUE(sink_.ops.empty());
  EXPECT_EQ(state_.orientation, Horizontal);
  EXPECT_EQ(state_.pauseCounter, -80);
}

TEST_F(AnimationTest, ATickBeforeThePrecomputationSwitchesAndPausesThenTheVerticalFernStarts) {
  EXPECT_EQ(Tick(), TickKind::EndOfFern);
  EXPECT_EQ(state_.orientation, Horizontal);
  EXPECT_EQ(state_.pauseCounter, -80);
  EXPECT_EQ(Tick(), TickKind::Pause);

  BuildFern(Vertical, 1);
  BuildFern(Horizontal, 1);
  ApplyPrecomputeResult(state_, {PrecomputeOutcome::Completed, 1, 1, 0, Vertical});
  EXPECT_EQ(state_.orientation, Vertical);
  EXPECT_EQ(state_.currentDepth, 0);
  EXPECT_EQ(state_.pauseCounter, -79) << "the pause runs on";
  for (int i = 0; i < 79; ++i) ASSERT_EQ(Tick(), TickKind::Pause);
  EXPECT_TRUE(sink_.ops.empty());
  EXPECT_EQ(Tick(), TickKind::Drawing);
  ASSERT_GE(sink_.ops.size(), 3u);
  EXPECT_EQ(sink_.ops[0].kind, DrawOpKind::Clear);
  EXPECT_EQ(TraceBack(sink_.ops[2]).fern, Vertical);
}

TEST_F(AnimationTest, DrawingTickClearsAtLevelZeroSetsTheColourDrawsTheLevelAndFlushes) {
  BuildFern(Vertical, 1, -1, 3);
  EXPECT_EQ(Tick(), TickKind::Drawing);
  const std::vector<DrawOpKind> first = {DrawOpKind::Clear, DrawOpKind::Color, DrawOpKind::Line,
                                         DrawOpKind::Line, DrawOpKind::Line, DrawOpKind::Flush};
  EXPECT_EQ(KindsInOrder(sink_), first);
  EXPECT_EQ(sink_.ops[1].red, 0);
  EXPECT_EQ(sink_.ops[1].green, 255);
  EXPECT_EQ(sink_.ops[1].blue, 0);
  EXPECT_EQ(state_.color.red, 1) << "stepped after the level";
  EXPECT_EQ(state_.currentDepth, 1);

  sink_.ops.clear();
  EXPECT_EQ(Tick(), TickKind::Drawing);
  const std::vector<DrawOpKind> second = {DrawOpKind::Color, DrawOpKind::Line, DrawOpKind::Line,
                                          DrawOpKind::Line, DrawOpKind::Flush};
  EXPECT_EQ(KindsInOrder(sink_), second) << "no clear after level 0";
  EXPECT_EQ(sink_.ops[0].red, 1);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(TraceBack(sink_.ops[i]).level, 1);
    EXPECT_DOUBLE_EQ(sink_.ops[i].x2, 2.0 * i / Size - 1) << "in chain order";
  }
}

TEST_F(AnimationTest, AnEmptySlotStillFlushesStepsTheColourAndAdvances) {
  BuildFern(Vertical, 1, -1, 1, {2});
  for (int i = 0; i < 2; ++i) Tick();
  sink_.ops.clear();
  const DrawColor before = state_.color;
  EXPECT_EQ(Tick(), TickKind::Drawing);
  const std::vector<DrawOpKind> kinds = {DrawOpKind::Color, DrawOpKind::Flush};
  EXPECT_EQ(KindsInOrder(sink_), kinds);
  EXPECT_EQ(state_.color.red, before.red + 1);
  EXPECT_EQ(state_.currentDepth, 3);
}

TEST_F(AnimationTest, LevelCount50DrawsSlot249LastThenEndsTheFern) {
  BuildFern(Vertical, 50);
  for (int d = 0; d < 249; ++d) ASSERT_EQ(Tick(), TickKind::Drawing) << d;
  sink_.ops.clear();
  EXPECT_EQ(Tick(), TickKind::Drawing);
  ASSERT_EQ(Kinds(sink_, DrawOpKind::Line), 1);
  EXPECT_EQ(TraceBack(sink_.ops[1]).level, 249);
  EXPECT_EQ(state_.currentDepth, 250);
  EXPECT_EQ(Tick(), TickKind::EndOfFern);
  EXPECT_EQ(state_.currentDepth, 0);
}

TEST_F(AnimationTest, DrawDepthLevelReadsOnlyThatLevelOfTheSelectedFern) {
  BuildFern(Vertical, 2, -1, 3);
  BuildFern(Horizontal, 2, -1, 2);
  const struct {
    std::uint8_t orientation;
    int level, lines, fern;
  } cases[] = {{0, 5, 3, 0}, {0, 9, 3, 0}, {1, 5, 2, 1}, {1, 0, 2, 1}, {7, 3, 2, 1}};
  for (const auto& c : cases) {
    sink_.ops.clear();
    state_.orientation = c.orientation;
    DrawDepthLevel(state_, store_, sink_, c.level);
    ASSERT_EQ(Kinds(sink_, DrawOpKind::Line), c.lines) << int{c.orientation} << " " << c.level;
    for (int i = 0; i < c.lines; ++i) {
      EXPECT_EQ(TraceBack(sink_.ops[i]).level, c.level);
      EXPECT_EQ(TraceBack(sink_.ops[i]).fern, c.fern);
    }
    EXPECT_EQ(sink_.ops.back().kind, DrawOpKind::Flush);
  }
}

TEST_F(AnimationTest, DrawDepthLevelOutsideTheTableOnlyFlushes) {
  BuildFern(Vertical, 50);
  for (int d : {-1, 250, 251, 1000, -1000}) {
    sink_.ops.clear();
    DrawDepthLevel(state_, store_, sink_, d);
    ASSERT_EQ(sink_.ops.size(), 1u) << d;
    EXPECT_EQ(sink_.ops[0].kind, DrawOpKind::Flush);
  }
}

TEST_F(AnimationTest, WholeAndPartialSegmentsMapPixelsToDeviceCoordinates) {
  StartAnimation(state_, 640, 480, false);
  const struct {
    int x, y;
    double deviceX, deviceY;
  } points[] = {{320, 480, 0, -1}, {640, 240, 1, 0}, {0, 0, -1, 1}, {160, 120, -0.5, 0.5},
                {480, 360, 0.5, -0.5}};
  for (const auto& p : points) {
    EXPECT_EQ(DeviceX(state_, p.x), p.deviceX) << p.x;
    EXPECT_EQ(DeviceY(state_, p.y), p.deviceY) << p.y;
  }
  DrawSegment(state_, sink_, 320, 480, 640, 240);
  DrawPartialSegment(state_, sink_, 320, 480, 320, 240, 2);
  ASSERT_EQ(sink_.ops.size(), 2u);
  EXPECT_EQ(sink_.ops[0].x1, 0);
  EXPECT_EQ(sink_.ops[0].y1, -1);
  EXPECT_EQ(sink_.ops[0].x2, 1);
  EXPECT_EQ(sink_.ops[0].y2, 0);
  EXPECT_EQ(sink_.ops[1].x1, 0);
  EXPECT_EQ(sink_.ops[1].y1, -1);
  EXPECT_EQ(sink_.ops[1].x2, 0);
  EXPECT_EQ(sink_.ops[1].y2, 2 * (0.0 - -1.0) / 5.0 + -1.0) << "(0,-1) to (0,-0.6)";
  EXPECT_DOUBLE_EQ(sink_.ops[1].y2, -0.6);
}

TEST_F(AnimationTest, PartialSegmentsShowOneToFourFifthsFromTheStart) {
  StartAnimation(state_, 640, 480, false);
  for (int tip = 1; tip <= 4; ++tip) {
    sink_.ops.clear();
    DrawPartialSegment(state_, sink_, 320, 480, 0, 0, tip);
    ASSERT_EQ(sink_.ops.size(), 1u);
    EXPECT_DOUBLE_EQ(sink_.ops[0].x2, -tip / 5.0) << tip;
    EXPECT_DOUBLE_EQ(sink_.ops[0].y2, -1 + 2 * tip / 5.0) << tip;
  }
}

TEST_F(AnimationTest, ASurfaceWithoutAreaDrawsNoLineButStillFlushes) {
  BuildFern(Vertical, 1);
  StartAnimation(state_, 0, 0, false);
  EXPECT_EQ(Tick(), TickKind::Drawing);
  const std::vector<DrawOpKind> kinds = {DrawOpKind::Clear, DrawOpKind::Color, DrawOpKind::Flush};
  EXPECT_EQ(KindsInOrder(sink_), kinds);
}

TEST(StartAnimation, SetsSizeIntervalStartColourAndNoPauseOnly) {
  AnimationState s;
  ResetAnimation(s);
  s.orientation = Horizontal;
  s.currentDepth = 7;
  s.pauseCounter = -5;
  s.color = {9, 9, 9};
  StartAnimation(s, 800, 600, true);
  EXPECT_EQ(s.clientWidth, 800);
  EXPECT_EQ(s.clientHeight, 600);
  EXPECT_EQ(s.tickIntervalMs, FastTickMs);
  EXPECT_EQ(s.pauseCounter, 0);
  EXPECT_EQ(s.color.green, 255);
  EXPECT_EQ(s.color.red, 0);
  EXPECT_EQ(s.orientation, Horizontal);
  EXPECT_EQ(s.currentDepth, 7);
  StartAnimation(s, 800, 600, false);
  EXPECT_EQ(s.tickIntervalMs, NormalTickMs);
}

TEST(ApplyPrecomputeResult, EveryOutcomeStartsTheVerticalFernAtLevel0) {
  const struct {
    PrecomputeResult result;
    std::uint8_t orientationBefore;
  } cases[] = {
      {{PrecomputeOutcome::Completed, 22, 24, 0, Vertical}, Horizontal},
      {{PrecomputeOutcome::Aborted, 22, 24, 40, Vertical}, Vertical},
      {{PrecomputeOutcome::Aborted, 22, 24, 115, Horizontal}, Vertical},
      {{PrecomputeOutcome::Aborted, 22, 24, 3, Horizontal}, Horizontal},
      {{PrecomputeOutcome::OutOfMemory, 26, 29, 77, Horizontal}, Vertical},
      {{PrecomputeOutcome::OutOfMemory, 50, 50, 249, Vertical}, Horizontal},
  };
  for (const auto& c : cases) {
    AnimationState s;
    ResetAnimation(s);
    s.orientation = c.orientationBefore;
    s.currentDepth = c.result.depthLevel;  // where the run left the shared counter
    s.pauseCounter = -33;
    ApplyPrecomputeResult(s, c.result);
    EXPECT_EQ(s.verticalLevels, c.result.verticalLevels);
    EXPECT_EQ(s.horizontalLevels, c.result.horizontalLevels);
    EXPECT_EQ(s.currentDepth, 0);
    EXPECT_EQ(s.orientation, Vertical);
    EXPECT_EQ(s.pauseCounter, -33) << "the pause is the timer's business";
  }
}

// Every drawing tick must read a slot inside 0..249 and below the end of the
// fern the orientation selects, and draw exactly that slot's level.
struct TickCounts {
  int drawing = 0, endOfFern = 0, pause = 0;
};
void ExpectEveryTickSafe(AnimationState& state, const FernStore& store, int ticks,
                         TickCounts* counts = nullptr) {
  RecordingSink sink;
  for (int i = 0; i < ticks; ++i) {
    const AnimationState before = state;
    sink.ops.clear();
    const TickKind kind = AnimationTick(state, store, sink);
    if (counts != nullptr) {
      counts->drawing += kind == TickKind::Drawing;
      counts->endOfFern += kind == TickKind::EndOfFern;
      counts->pause += kind == TickKind::Pause;
    }
    if (kind != TickKind::Drawing) {
      ASSERT_TRUE(sink.ops.empty()) << "tick " << i;
      continue;
    }
    const int levels =
        before.orientation == Vertical ? before.verticalLevels : before.horizontalLevels;
    ASSERT_GE(before.currentDepth, 0) << "tick " << i;
    ASSERT_LT(before.currentDepth, GrowthPhases * levels) << "tick " << i << ": past the fern";
    ASSERT_LT(before.currentDepth, DepthIndexSlots) << "tick " << i;
    int expected = 0;
    ForEachSegmentInLevel(TableFor(store, before.orientation), before.currentDepth,
                          [&](const Segment&) { ++expected; });
    int lines = 0;
    for (const DrawOp& op : sink.ops) lines += op.kind == DrawOpKind::Line;
    ASSERT_EQ(lines, expected) << "tick " << i << " level " << before.currentDepth;
    ASSERT_EQ(sink.ops.back().kind, DrawOpKind::Flush);
  }
}

TEST_F(AnimationTest, AfterAStoppedRunTheKeptLevelsShowFromAClearedScreenAndNoTickReadsPastAFern) {
  // Stores as a stopped run leaves them: complete levels below the stop only.
  const struct {
    const char* what;
    int vertical, horizontal;  // level counts
    FernOrientation stoppedIn;
    int stoppedAt;
    std::uint8_t orientation;  // before the run
  } cases[] = {
      {"vertical pass at its first level", 22, 24, Vertical, 0, Vertical},
      {"vertical pass halfway", 22, 24, Vertical, 37, Vertical},
      {"horizontal pass early", 22, 24, Horizontal, 3, Vertical},
      {"horizontal pass beyond the vertical fern's end", 22, 24, Horizontal, 115, Vertical},
      {"horizontal pass at slot 249, small vertical fern", 1, 50, Horizontal, 249, Vertical},
      {"horizontal pass at slot 249, full vertical fern", 50, 50, Horizontal, 249, Vertical},
      {"vertical pass after an early tick turned to horizontal", 22, 24, Vertical, 50,
       Horizontal},
      {"horizontal pass after an early tick turned to horizontal", 3, 24, Horizontal, 100,
       Horizontal},
      {"no vertical fern at all", 0, 30, Horizontal, 140, Vertical},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreeFerns(store_);
    ResetAnimation(state_);
    StartAnimation(state_, Size, Size, false);
    state_.orientation = c.orientation;
    const bool inVertical = c.stoppedIn == Vertical;
    BuildFern(Vertical, c.vertical, inVertical ? c.stoppedAt : -1);
    BuildFern(Horizontal, c.horizontal, inVertical ? 0 : c.stoppedAt);
    const PrecomputeOutcome outcome =
        c.stoppedAt % 2 == 0 ? PrecomputeOutcome::Aborted : PrecomputeOutcome::OutOfMemory;
    ApplyPrecomputeResult(state_, {outcome, c.vertical, c.horizontal, c.stoppedAt, c.stoppedIn});
    // What the user sees first: a cleared screen, then every kept vertical
    // level in order, one line each, from level 0.
    const int verticalKept =
        inVertical ? std::min(c.stoppedAt, GrowthPhases * c.vertical) : GrowthPhases * c.vertical;
    RecordingSink firstFern;
    for (int i = 0; i < GrowthPhases * c.vertical; ++i) {
      ASSERT_EQ(AnimationTick(state_, store_, firstFern), TickKind::Drawing);
    }
    std::vector<int> levelsShown;
    for (const DrawOp& op : firstFern.ops) {
      if (op.kind == DrawOpKind::Line) levelsShown.push_back(TraceBack(op).level);
    }
    std::vector<int> kept(verticalKept);
    for (int d = 0; d < verticalKept; ++d) kept[d] = d;
    EXPECT_EQ(levelsShown, kept);
    if (c.vertical > 0) {
      EXPECT_EQ(firstFern.ops.front().kind, DrawOpKind::Clear);
    }
    TickCounts counts;
    ExpectEveryTickSafe(state_, store_, 5000, &counts);
    EXPECT_GT(counts.endOfFern, 2) << "the ferns keep alternating";
  }
}

TEST(AnimationAfterAbort, RealRunsStoppedInEitherPassAnimateSafely) {
  // 640 by 480: 110 vertical and 120 horizontal depth levels. Level calls
  // count over the whole run, so call 225 is horizontal level 115.
  const struct {
    const char* what;
    int abortAtCall;
  } cases[] = {{"vertical level 0", 0},
               {"vertical level 40", 40},
               {"horizontal level 3", 113},
               {"horizontal level 115, past the vertical fern", 225}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FernStore store;
    ResetFernStore(store);
    ProgressRecorder recorder;
    recorder.abortAtCall = c.abortAtCall;
    const PrecomputeResult result = PrecomputeFerns(store, 640, 480, recorder.Port(),
                                                    recorder.state);
    ASSERT_EQ(result.outcome, PrecomputeOutcome::Aborted);
    AnimationState state;
    ResetAnimation(state);
    StartAnimation(state, 640, 480, false);
    ApplyPrecomputeResult(state, result);
    ExpectEveryTickSafe(state, store, 1200);
    FreeFerns(store);
  }
}

class CompleteFernsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ResetFernStore(store_);
    ProgressRecorder recorder;
    result_ = PrecomputeFerns(store_, 640, 480, recorder.Port(), recorder.state);
  }
  static void TearDownTestSuite() { FreeFerns(store_); }
  static inline FernStore store_;
  static inline PrecomputeResult result_;
};

TEST_F(CompleteFernsTest, BothFernsOnceAt640x480TakeTheExpectedTicksAnd230ColourSteps) {
  ASSERT_EQ(result_.outcome, PrecomputeOutcome::Completed);
  const struct {
    bool fast;
    int ticks, pause;
  } cases[] = {{false, 392, 160}, {true, 1032, 800}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fast ? "10 ms" : "50 ms");
    AnimationState state;
    ResetAnimation(state);
    StartAnimation(state, 640, 480, c.fast);
    ApplyPrecomputeResult(state, result_);
    TickCounts counts;
    ExpectEveryTickSafe(state, store_, c.ticks, &counts);
    EXPECT_EQ(counts.drawing, 230);
    EXPECT_EQ(counts.endOfFern, 2);
    EXPECT_EQ(counts.pause, c.pause);
    EXPECT_EQ(state.orientation, Vertical);
    EXPECT_EQ(state.currentDepth, 0);
    EXPECT_EQ(state.pauseCounter, 0);
    DrawColor expected = StartColor;
    for (int i = 0; i < 230; ++i) StepDrawColor(expected);
    EXPECT_EQ(state.color.red, expected.red);
    EXPECT_EQ(state.color.green, expected.green);
    EXPECT_EQ(state.color.blue, expected.blue);
    EXPECT_EQ(state.color.red, 230);
    RecordingSink sink;
    EXPECT_EQ(AnimationTick(state, store_, sink), TickKind::Drawing) << "the cycle starts over";
    ASSERT_FALSE(sink.ops.empty());
    EXPECT_EQ(sink.ops[0].kind, DrawOpKind::Clear);
  }
}

TEST_F(CompleteFernsTest, EachFernIsDrawnWholeAndClearedOnlyAtItsStart) {
  AnimationState state;
  ResetAnimation(state);
  StartAnimation(state, 640, 480, false);
  ApplyPrecomputeResult(state, result_);
  RecordingSink sink;
  for (int i = 0; i < 392; ++i) AnimationTick(state, store_, sink);
  EXPECT_EQ(Kinds(sink, DrawOpKind::Clear), 2);
  EXPECT_EQ(Kinds(sink, DrawOpKind::Color), 230);
  EXPECT_EQ(Kinds(sink, DrawOpKind::Flush), 230);
  EXPECT_EQ(Kinds(sink, DrawOpKind::Line), 80490 + 137150);
  // The root line grows from the middle of the bottom edge.
  ASSERT_GE(sink.ops.size(), 3u);
  EXPECT_EQ(sink.ops[2].x1, 0);
  EXPECT_EQ(sink.ops[2].y1, -1);
  EXPECT_EQ(sink.ops[2].x2, 0);
  EXPECT_DOUBLE_EQ(sink.ops[2].y2, -0.92);
}

}  // namespace
}  // namespace morv
