// The recursive fern generator: records one depth level of a fern's subtree.
#pragma once

#include <cstdint>

#include "segment_store.h"

namespace morv {

// Rounds half up by the fraction above the floor: 2.5 -> 3, -2.5 -> -2, -2.6 -> -3.
std::int32_t RoundHalfUp(double value);

// Records, into the store's running pass, every segment that this branch's
// subtree contributes at store.recordingDepth. Angle in degrees, 0 = up the
// screen, clockwise positive. Returns false if a Segment could not be allocated
// (the level is then incomplete).
bool GrowBranch(FernStore& store, int startX, int startY, double length, double angle, int depth,
                int sideFlag);

}  // namespace morv
