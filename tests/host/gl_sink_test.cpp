#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "animation.h"
#include "fern_fixture.h"
#include "gl_sink.h"
#include "headless_gl.h"

namespace morv {
namespace {

using Rgb = std::tuple<int, int, int>;

// One picture read back from the offscreen surface, top row first.
struct Picture {
  int width, height;
  std::vector<std::uint8_t> rgb;

  Rgb At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
  bool Lit(int x, int y) const { return At(x, y) != Rgb{0, 0, 0}; }
  // Lit pixels, by colour.
  std::vector<std::pair<int, int>> LitPixels() const {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (Lit(x, y)) out.emplace_back(x, y);
      }
    }
    return out;
  }
};

// The saver on a 640 by 480 offscreen surface: complete ferns, 50 ms ticks.
class GlAnimationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ResetFernStore(store_);
    testing::ProgressRecorder recorder;
    result_ = PrecomputeFerns(store_, 640, 480, recorder.Port(), recorder.state);
  }
  static void TearDownTestSuite() { FreeFerns(store_); }

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(CreateHeadlessGl(gl_, 640, 480, &error)) << error;
    ResetAnimation(state_);
    StartAnimation(state_, 640, 480, false);
    ApplyPrecomputeResult(state_, result_);
  }
  void TearDown() override { DestroyHeadlessGl(gl_); }

  void Ticks(int n) {
    for (int i = 0; i < n; ++i) AnimationTick(state_, store_, sink_);
  }
  Picture Read() const { return {gl_.width, gl_.height, ReadRgbTopDown(gl_)}; }

  static inline FernStore store_;
  static inline PrecomputeResult result_;
  HeadlessGl gl_{};
  AnimationState state_;
  GlSink sink_;
};

TEST_F(GlAnimationTest, StartsBlack) {
  const Picture p = Read();
  EXPECT_TRUE(p.LitPixels().empty());
}

TEST_F(GlAnimationTest, FirstFiveTicksGrowTheRootLineFifthByFifthInTheTickColours) {
  // The root runs from (320, 480) to (320, 384): 96 pixels up the middle.
  for (int tick = 1; tick <= 5; ++tick) {
    SCOPED_TRACE("after tick " + std::to_string(tick));
    Ticks(1);
    const Picture p = Read();
    const auto lit = p.LitPixels();
    // Level k shows k fifths of the line, in the colour reached after k-1 steps;
    // each level covers the shorter ones below it.
    const int expectedLength = 96 * tick / 5;
    EXPECT_NEAR(static_cast<int>(lit.size()), expectedLength, 2);
    const Rgb colour{tick - 1, 255, 0};
    std::set<int> columns;
    for (const auto& [x, y] : lit) {
      columns.insert(x);
      EXPECT_EQ(p.At(x, y), colour) << x << "," << y;
      EXPECT_GE(y, 384 - 1) << "within the root line";
      EXPECT_LT(y, 480);
      EXPECT_GE(y, 480 - expectedLength - 2) << "grown from the start point only";
    }
    EXPECT_EQ(columns.size(), 1u) << "one vertical line";
    if (!columns.empty()) {
      EXPECT_NEAR(*columns.begin(), 320, 1);
    }
  }
}

TEST_F(GlAnimationTest, TheFinishedFernStaysThroughThePauseAndGoesWithTheNextFernsFirstTick) {
  // Vertical fern: 110 drawing ticks, the end-of-fern tick, 80 pause ticks.
  Ticks(110);
  const Picture drawn = Read();
  const auto fern = drawn.LitPixels();
  EXPECT_GT(fern.size(), 10000u) << "the picture accumulates from tick to tick";
  std::set<Rgb> colours;
  for (const auto& [x, y] : fern) colours.insert(drawn.At(x, y));
  // Each generation's last level covers its partial lines, so at least the 22
  // colours of those levels show, from the root's to the last level's.
  EXPECT_GE(colours.size(), 22u) << "levels in different colours";
  EXPECT_EQ(colours.count({4, 255, 0}), 1u) << "the root, whole at level 4";
  EXPECT_EQ(colours.count({109, 255, 0}), 1u) << "the last level";
  for (const Rgb& c : colours) {
    EXPECT_EQ(std::get<1>(c), 255);
    EXPECT_EQ(std::get<2>(c), 0);
    EXPECT_LT(std::get<0>(c), 110);
  }

  Ticks(81);
  EXPECT_EQ(Read().rgb, drawn.rgb) << "nothing changes until the pause is over";

  Ticks(1);  // the horizontal fern's first level: clear, then a fifth of its root
  const Picture next = Read();
  const auto lit = next.LitPixels();
  // (640, 240) towards (512, 240): a fifth is about 25.6 pixels at the right edge.
  EXPECT_NEAR(static_cast<int>(lit.size()), 26, 2);
  for (const auto& [x, y] : lit) {
    EXPECT_EQ(next.At(x, y), (Rgb{110, 255, 0})) << x << "," << y;
    EXPECT_NEAR(y, 240, 1);
    EXPECT_GE(x, 640 - 28);
  }
  for (int y = 0; y < 480; ++y) ASSERT_FALSE(next.Lit(320, y)) << "vertical fern gone, row " << y;
}

TEST_F(GlAnimationTest, SinkOperationsReachTheSurface) {
  GlSink sink;
  sink.Color(12, 34, 56);
  sink.Line(-1, 0.501, 1, 0.501);  // a row a quarter of the way down
  sink.Flush();
  Picture p = Read();
  EXPECT_EQ(p.At(100, 119), (Rgb{12, 34, 56}));
  EXPECT_EQ(p.At(100, 300), (Rgb{0, 0, 0}));
  sink.Clear();
  sink.Flush();
  p = Read();
  EXPECT_TRUE(p.LitPixels().empty());
}

TEST(HeadlessGl, ViewportCoversTheWholeSurface) {
  HeadlessGl gl{};
  std::string error;
  ASSERT_TRUE(CreateHeadlessGl(gl, 64, 48, &error)) << error;
  GlSink sink;
  sink.Color(255, 255, 255);
  // Rows just inside the top and bottom edges, across the whole width.
  sink.Line(-1.5, 0.99, 1.5, 0.99);
  sink.Line(-1.5, -0.99, 1.5, -0.99);
  sink.Flush();
  const Picture p{64, 48, ReadRgbTopDown(gl)};
  EXPECT_TRUE(p.Lit(0, 0));
  EXPECT_TRUE(p.Lit(63, 0));
  EXPECT_TRUE(p.Lit(0, 47));
  EXPECT_TRUE(p.Lit(63, 47));
  EXPECT_FALSE(p.Lit(30, 24));
  DestroyHeadlessGl(gl);
  DestroyHeadlessGl(gl);  // twice is harmless
}

}  // namespace
}  // namespace morv
