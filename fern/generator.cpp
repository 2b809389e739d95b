#include "generator.h"

#include <cmath>

namespace morv {

std::int32_t RoundHalfUp(double value) {
  const double low = std::floor(value);
  return static_cast<std::int32_t>(value - low < 0.5 ? low : std::ceil(value));
}

bool GrowBranch(FernStore& store, int startX, int startY, double length, double angle, int depth,
                int sideFlag) {
  // The fern's shape depends on this exact constant and operation order.
  const double radians = angle * 3.1415926535 / 180;
  const int dx = RoundHalfUp(length * std::sin(radians));
  const int dy = RoundHalfUp(length * std::cos(radians));
  const int endX = startX + dx;
  const int endY = startY - dy;
  if (dx == 0 && dy == 0) return true;  // rounds to nothing: the whole subtree is dropped

  const int phase = depth % GrowthPhases;
  const bool atLevel = depth == store.recordingDepth;
  if (phase < GrowthPhases - 1) {
    if (atLevel) return RecordSegment(store, startX, startY, endX, endY, phase + 1);
    return GrowBranch(store, startX, startY, length, angle, depth + 1, sideFlag);
  }
  if (atLevel) return RecordSegment(store, startX, startY, endX, endY, 0);

  // Fork points come from the rounded vector, multiplied first, divided after.
  const int vx = dx;
  const int vy = -dy;
  const int fourX = startX + RoundHalfUp(vx * 4 / 5.0);
  const int fourY = startY + RoundHalfUp(vy * 4 / 5.0);
  const int twoX = startX + RoundHalfUp(2 * vx / 5.0);
  const int twoY = startY + RoundHalfUp(2 * vy / 5.0);
  const double turn = sideFlag == 0 ? 1.0 : -1.0;
  const int flip = sideFlag == 0 ? 1 : 0;
  return GrowBranch(store, fourX, fourY, length / 3, angle - 55 * turn, depth + 1, flip) &&
         GrowBranch(store, twoX, twoY, 2 * length / 5, angle + 45 * turn, depth + 1, sideFlag) &&
         GrowBranch(store, endX, endY, 26 * length / 32, angle - 5 * turn, depth + 1, sideFlag);
}

}  // namespace morv
