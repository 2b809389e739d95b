#include "generator.h"

#include <cmath>

namespace morv {

std::int32_t RoundHalfUp(double value) {
  const double low = std::floor(value);
  return static_cast<std::int32_t>(value - low < 0.5 ? low : std::ceil(value));
}

bool BranchEnd(const Branch& branch, int* endX, int* endY) {
  // The fern's shape depends on this exact constant and operation order.
  const double radians = branch.angle * 3.1415926535 / 180;
  const int dx = RoundHalfUp(branch.length * std::sin(radians));
  const int dy = RoundHalfUp(branch.length * std::cos(radians));
  *endX = branch.startX + dx;
  *endY = branch.startY - dy;  // y grows downward
  return dx != 0 || dy != 0;
}

void ForkChildren(const Branch& parent, int endX, int endY, Branch children[3]) {
  // Fork points come from the rounded vector, multiplied first, divided after.
  const int vx = endX - parent.startX;
  const int vy = endY - parent.startY;
  const int fourX = parent.startX + RoundHalfUp(vx * 4 / 5.0);
  const int fourY = parent.startY + RoundHalfUp(vy * 4 / 5.0);
  const int twoX = parent.startX + RoundHalfUp(2 * vx / 5.0);
  const int twoY = parent.startY + RoundHalfUp(2 * vy / 5.0);
  const double length = parent.length;
  const double angle = parent.angle;
  if (parent.sideFlag == 0) {
    children[0] = {fourX, fourY, length / 3, angle - 55, 1};
    children[1] = {twoX, twoY, 2 * length / 5, angle + 45, 0};
    children[2] = {endX, endY, 26 * length / 32, angle - 5, 0};
  } else {
    children[0] = {fourX, fourY, length / 3, angle + 55, 0};
    children[1] = {twoX, twoY, 2 * length / 5, angle - 45, 1};
    children[2] = {endX, endY, 26 * length / 32, angle + 5, 1};
  }
}

bool GrowBranch(FernStore& store, int startX, int startY, double length, double angle, int depth,
                int sideFlag) {
  const Branch branch = {startX, startY, length, angle, sideFlag};
  int endX = 0;
  int endY = 0;
  if (!BranchEnd(branch, &endX, &endY)) return true;  // dropped with its whole subtree

  const int phase = depth % GrowthPhases;
  const bool atLevel = depth == store.recordingDepth;
  if (phase < GrowthPhases - 1) {
    if (atLevel) return RecordSegment(store, startX, startY, endX, endY, phase + 1);
    return GrowBranch(store, startX, startY, length, angle, depth + 1, sideFlag);
  }
  if (atLevel) return RecordSegment(store, startX, startY, endX, endY, 0);

  Branch children[3];
  ForkChildren(branch, endX, endY, children);
  for (const Branch& child : children) {
    if (!GrowBranch(store, child.startX, child.startY, child.length, child.angle, depth + 1,
                    child.sideFlag)) {
      return false;
    }
  }
  return true;
}

}  // namespace morv
