// The sine and cosine of every direction a fern's branch can take, as constants.
#pragma once

#include <cassert>

namespace morv {

struct Direction {
  double sine;
  double cosine;
};

// Every angle of a fern is a whole multiple of 5 degrees (the roots' angles and
// every turn are), kept as a count of such steps.
constexpr int DegreesPerStep = 5;

// The steps a fern can reach: each of its at most 50 generations turns at most
// 11 steps from its parent, from a root at 0 or 270 degrees. The table holds
// that range and no more (precompute.cpp checks this against its constants).
constexpr int FirstDirectionStep = -539;
constexpr int LastDirectionStep = 593;
constexpr int DirectionCount = LastDirectionStep - FirstDirectionStep + 1;

// Entry i holds the direction of (FirstDirectionStep + i) * 5 degrees: sin and cos
// of degrees * 3.1415926535 / 180, computed in double arithmetic with glibc, the
// values every fern has been drawn with. As constants they are the same bits on
// every build, whatever its floating-point unit and its library's sin and cos.
extern const Direction DirectionTable[DirectionCount];

// The direction of a whole number of steps that a fern can reach. Checked in
// the debug and sanitizer builds only: this is the engine's innermost lookup.
inline const Direction& DirectionOf(int steps) {
  assert(steps >= FirstDirectionStep && steps <= LastDirectionStep);
  return DirectionTable[steps - FirstDirectionStep];
}

}  // namespace morv
