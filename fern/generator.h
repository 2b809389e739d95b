// The recursive fern generator: records one depth level of a fern's subtree.
#pragma once

#include <cstdint>

#include "segment_store.h"

namespace morv {

// Rounds half up by the fraction above the floor: 2.5 -> 3, -2.5 -> -2, -2.6 -> -3.
std::int32_t RoundHalfUp(double value);

// A branch as the generator sees it: where it starts, how long, which way, and
// which way its children turn.
struct Branch {
  int startX;
  int startY;
  double length;
  double angle;  // degrees, 0 = up the screen, clockwise positive, never normalised
  int sideFlag;
};

// The branch's rounded end point; false when it rounds to its start point
// (the branch and everything that would grow from it are dropped).
bool BranchEnd(const Branch& branch, int* endX, int* endY);

// The three children of a branch ending at (endX, endY), in the order they grow:
// short side branch, long side branch, continuation.
void ForkChildren(const Branch& parent, int endX, int endY, Branch children[3]);

// Records, into the store's running pass, every segment that this branch's
// subtree contributes at store.recordingDepth. Angle in degrees, 0 = up the
// screen, clockwise positive. Returns false if a Segment could not be allocated
// (the level is then incomplete).
bool GrowBranch(FernStore& store, int startX, int startY, double length, double angle, int depth,
                int sideFlag);

}  // namespace morv
