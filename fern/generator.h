// The recursive fern generator: records one depth level of a fern's subtree.
#pragma once

#include <cmath>
#include <cstdint>

#include "directions.h"
#include "segment_store.h"

namespace morv {

// Rounds half up by the fraction above the floor: 2.5 -> 3, -2.5 -> -2, -2.6 -> -3.
// From lrint, which compiles to one instruction without touching the x87
// control word (floor, ceil and casts change it each time), corrected by the
// exact remainder so that any rounding mode gives the same result.
inline std::int32_t RoundHalfUp(double value) {
  const long nearest = std::lrint(value);
  const double rest = value - static_cast<double>(nearest);  // exact, within (-1, 1)
  return static_cast<std::int32_t>(nearest + (rest >= 0.5) - (rest < -0.5));
}

// A branch as the generator sees it: where it starts, how long, which way, and
// which way its children turn.
struct Branch {
  int startX;
  int startY;
  double length;
  // In steps of DegreesPerStep, 0 = up the screen, clockwise positive, never
  // normalised: every fern's angles are whole steps.
  int angleSteps;
  int sideFlag;
};

// The rounded end point of a branch from (startX, startY) of the given length,
// in the given direction; false when it rounds to its start point.
inline bool EndPoint(int startX, int startY, double length, double sine, double cosine, int* endX,
                     int* endY) {
  const int dx = RoundHalfUp(length * sine);
  const int dy = RoundHalfUp(length * cosine);
  *endX = startX + dx;
  *endY = startY - dy;  // y grows downward
  return dx != 0 || dy != 0;
}

// The branch's rounded end point; false when it rounds to its start point
// (the branch and everything that would grow from it are dropped).
bool BranchEnd(const Branch& branch, int* endX, int* endY);

// The children's lengths, from the parent's unrounded length, in this exact form.
inline double ShortSideLength(double length) { return length / 3; }
inline double LongSideLength(double length) { return 2 * length / 5; }
inline double ContinuationLength(double length) { return 26 * length / 32; }

// How each child turns from its parent, in degrees, when the parent's side flag
// is 0; side flag 1 turns the other way. Every turn, like the roots' angles, is
// a whole multiple of 5 degrees.
constexpr int ShortSideTurn = -55;
constexpr int LongSideTurn = 45;
constexpr int ContinuationTurn = -5;
static_assert(ShortSideTurn % DegreesPerStep == 0 && LongSideTurn % DegreesPerStep == 0 &&
                  ContinuationTurn % DegreesPerStep == 0,
              "turns are whole steps");
constexpr int ShortSideTurnSteps = ShortSideTurn / DegreesPerStep;
constexpr int LongSideTurnSteps = LongSideTurn / DegreesPerStep;
constexpr int ContinuationTurnSteps = ContinuationTurn / DegreesPerStep;

// The three children of a branch ending at (endX, endY), in the order they grow:
// short side branch, long side branch, continuation.
void ForkChildren(const Branch& parent, int endX, int endY, Branch children[3]);

// Records, into the store's running pass, every segment that this branch's
// subtree contributes at store.recordingDepth. Angle in steps as in Branch.
// Returns false if a Segment could not be allocated (the level is then
// incomplete).
bool GrowBranch(FernStore& store, int startX, int startY, double length, int angleSteps, int depth,
                int sideFlag);

}  // namespace morv
