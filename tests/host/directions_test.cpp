// The engine takes its sines and cosines from a constant table; the recorded ferns'
// digests check its bits on every build. Here what any right table holds, whatever
// the C library of the host: no entry shifted, swapped, mistyped or turned the wrong way.
#include <gtest/gtest.h>

#include <cfloat>

#include "directions.h"

namespace morv {
namespace {

TEST(DirectionTable, EachEntryIsAUnitVectorOneStepOnFromThePrevious) {
  const Direction& step = DirectionOf(1);
  for (int s = FirstDirectionStep; s < LastDirectionStep; ++s) {
    const Direction& a = DirectionOf(s);
    const Direction& b = DirectionOf(s + 1);
    const int degrees = (s + 1) * DegreesPerStep;
    EXPECT_NEAR(b.sine * b.sine + b.cosine * b.cosine, 1.0, 4 * DBL_EPSILON) << degrees;
    EXPECT_NEAR(b.sine, a.sine * step.cosine + a.cosine * step.sine, 1e-12) << degrees;
    EXPECT_NEAR(b.cosine, a.cosine * step.cosine - a.sine * step.sine, 1e-12) << degrees;
  }
}

TEST(DirectionTable, QuarterTurnsPointAlongTheAxesClockwiseFromUp) {
  EXPECT_EQ(DirectionOf(0).sine, 0.0);
  EXPECT_EQ(DirectionOf(0).cosine, 1.0);
  // Up, right, down, left. The table's angles are of degrees * 3.1415926535 / 180,
  // off from the exact ones by at most 1.5e-9 within its range.
  const Direction axes[4] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
  constexpr int QuarterSteps = 90 / DegreesPerStep;
  for (int q = FirstDirectionStep / QuarterSteps; q <= LastDirectionStep / QuarterSteps; ++q) {
    const Direction& d = DirectionOf(q * QuarterSteps);
    EXPECT_NEAR(d.sine, axes[(q % 4 + 4) % 4].sine, 2e-9) << q * 90;
    EXPECT_NEAR(d.cosine, axes[(q % 4 + 4) % 4].cosine, 2e-9) << q * 90;
  }
}

}  // namespace
}  // namespace morv
