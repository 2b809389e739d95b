#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "fern_fixture.h"
#include "generator.h"

namespace morv {
namespace {

using GeneratorTest = testing::FernTest;
using Line = std::tuple<int, int, int, int>;

TEST(RoundHalfUp, RoundsByTheFractionAboveTheFloor) {
  const struct {
    double value;
    int expected;
  } cases[] = {{2.5, 3},    {-2.5, -2},  {-2.6, -3},  {-0.4, 0},   {-76.8, -77},
               {-38.4, -38}, {0.49, 0},  {0.5, 1},    {7.0, 7},    {-7.0, -7},
               {1e-12, 0},  {-1e-12, 0}, {2.4999999, 2}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfUp(c.value), c.expected) << c.value;
}

class GrowTest : public GeneratorTest {
 protected:
  // Records one level of a branch's subtree into a fresh vertical pass.
  std::vector<Segment> Grow(int level, int x, int y, double length, int degrees, int side = 0) {
    FreeFerns(store_);
    BeginPass(store_, Vertical);
    store_.recordingDepth = level;
    EXPECT_TRUE(GrowBranch(store_, x, y, length, degrees / DegreesPerStep, 0, side));
    std::vector<Segment> out;
    for (const Segment* s = store_.vertical[0]; s != nullptr; s = s->next) out.push_back(*s);
    return out;
  }
  static std::vector<Line> Lines(const std::vector<Segment>& segments) {
    std::vector<Line> out;
    for (const auto& s : segments) out.emplace_back(s.startX, s.startY, s.endX, s.endY);
    return out;
  }
};

TEST_F(GrowTest, TheRootGrowsInFifthsOverItsFirstFiveLevels) {
  for (int level = 0; level < 5; ++level) {
    const auto got = Grow(level, 320, 480, 96, 0);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(Lines(got)[0], Line(320, 480, 320, 384));
    EXPECT_EQ(got[0].tipFraction, level < 4 ? level + 1 : 0);
    EXPECT_EQ(got[0].depth, level);
  }
}

TEST_F(GrowTest, LevelFiveHoldsTheThreeChildrenInCallOrder) {
  EXPECT_EQ(Lines(Grow(5, 320, 480, 96, 0)),
            (std::vector<Line>{{320, 403, 294, 385}, {320, 442, 347, 415}, {320, 384, 313, 306}}));
}

TEST_F(GrowTest, LevelTenHoldsTheGrandchildrenDepthFirst) {
  const auto got = Grow(10, 320, 480, 96, 0);
  EXPECT_EQ(Lines(got), (std::vector<Line>{{299, 389, 299, 378},
                                           {310, 396, 297, 398},
                                           {294, 385, 274, 368},
                                           {342, 420, 340, 407},
                                           {331, 431, 346, 431},
                                           {347, 415, 367, 391},
                                           {314, 322, 291, 309},
                                           {317, 353, 337, 329},
                                           {313, 306, 302, 244}}));
  for (const auto& s : got) EXPECT_EQ(s.tipFraction, 1);
}

TEST_F(GrowTest, TheHorizontalRootsTinyCosineRoundsToZero) {
  EXPECT_EQ(Lines(Grow(0, 640, 240, 128, 270)), (std::vector<Line>{{640, 240, 512, 240}}));
  EXPECT_EQ(Lines(Grow(5, 640, 240, 128, 270)),
            (std::vector<Line>{{538, 240, 514, 275}, {589, 240, 553, 204}, {512, 240, 408, 249}}));
}

TEST_F(GrowTest, BranchesThatRoundToNothingAreDroppedWithTheirWholeSubtree) {
  EXPECT_EQ(Lines(Grow(0, 10, 10, 0.5, 0)), (std::vector<Line>{{10, 10, 10, 9}}));
  for (int level = 0; level < 15; ++level) {
    EXPECT_TRUE(Grow(level, 10, 10, 0.5, 180).empty()) << "0.5 at 180 degrees rounds to 0";
    EXPECT_TRUE(Grow(level, 10, 10, 0.49, 0).empty()) << "0.49 rounds to 0";
  }
}

TEST_F(GrowTest, SideFlagOneMirrorsTheTurns) {
  // The mirror image of the level-5 children about the vertical stem.
  EXPECT_EQ(Lines(Grow(5, 320, 480, 96, 0, 1)),
            (std::vector<Line>{{320, 403, 346, 385}, {320, 442, 293, 415}, {320, 384, 327, 306}}));
}

TEST(BranchEnd, ADirectionNoFernReachesStopsADebugBuild) {
#if defined(NDEBUG) || !GTEST_HAS_DEATH_TEST
  GTEST_SKIP() << "assertions are compiled out";
#else
  int x = 0;
  int y = 0;
  const Branch beyond = {0, 0, 10.0, LastDirectionStep + 1, 0};
  EXPECT_DEATH(BranchEnd(beyond, &x, &y), "LastDirectionStep");
#endif
}

TEST_F(GrowTest, ALevelBeyondEveryLiveBranchRecordsNothing) {
  EXPECT_TRUE(Grow(200, 320, 480, 96, 0).empty());
}

// Live branches per generation: the records of the generation's first level.
std::vector<long> LiveBranches(const DepthIndex& table, int generations) {
  std::vector<long> out;
  for (int g = 0; g < generations; ++g) {
    long n = 0;
    ForEachSegmentInLevel(table, 5 * g, [&](const Segment&) { ++n; });
    out.push_back(n);
  }
  return out;
}

TEST_F(GeneratorTest, LiveBranchesPerGenerationMatchTheKnownFerns) {
  Compute(640, 480);
  EXPECT_EQ(LiveBranches(store_.vertical, 8), (std::vector<long>{1, 3, 9, 27, 81, 217, 509, 960}));
  EXPECT_EQ(LiveBranches(store_.horizontal, 8),
            (std::vector<long>{1, 3, 9, 27, 81, 237, 600, 1065}));
  EXPECT_EQ(ChainLength(store_.vertical[0]), 5 * 16098);
  EXPECT_EQ(ChainLength(store_.horizontal[0]), 5 * 27430);
  FreeFerns(store_);

  Compute(152, 112);
  EXPECT_EQ(LiveBranches(store_.vertical, 8), (std::vector<long>{1, 3, 9, 27, 66, 111, 123, 134}));
  EXPECT_EQ(LiveBranches(store_.horizontal, 8),
            (std::vector<long>{1, 3, 9, 27, 76, 156, 223, 260}));
  EXPECT_EQ(ChainLength(store_.vertical[0]), 5 * 951);
  EXPECT_EQ(ChainLength(store_.horizontal[0]), 5 * 1740);
}

TEST_F(GeneratorTest, TheFiveLevelsOfAGenerationShareTheirLinesAndDifferInTipOnly) {
  Compute(320, 240);
  for (int g = 0; g < 19; ++g) {
    const auto first = Level(Vertical, 5 * g);
    ASSERT_FALSE(first.empty()) << "every counted generation has a live main stem";
    for (int phase = 1; phase < 5; ++phase) {
      const auto level = Level(Vertical, 5 * g + phase);
      ASSERT_EQ(level.size(), first.size());
      for (size_t i = 0; i < level.size(); ++i) {
        EXPECT_EQ(level[i].startX, first[i].startX);
        EXPECT_EQ(level[i].endY, first[i].endY);
        EXPECT_EQ(level[i].tipFraction, phase < 4 ? phase + 1 : 0);
      }
    }
  }
}

}  // namespace
}  // namespace morv
