#include "generator.h"

namespace morv {

bool BranchEnd(const Branch& branch, int* endX, int* endY) {
  const Direction& d = DirectionOf(branch.angleSteps);
  return EndPoint(branch.startX, branch.startY, branch.length, d.sine, d.cosine, endX, endY);
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
  const int angle = parent.angleSteps;
  const int side = parent.sideFlag == 0 ? 0 : 1;
  const int turn = side == 0 ? 1 : -1;
  children[0] = {fourX, fourY, ShortSideLength(length), angle + turn * ShortSideTurnSteps,
                 1 - side};
  children[1] = {twoX, twoY, LongSideLength(length), angle + turn * LongSideTurnSteps, side};
  children[2] = {endX, endY, ContinuationLength(length), angle + turn * ContinuationTurnSteps,
                 side};
}

bool GrowBranch(FernStore& store, int startX, int startY, double length, int angleSteps, int depth,
                int sideFlag) {
  const Branch branch = {startX, startY, length, angleSteps, sideFlag};
  int endX = 0;
  int endY = 0;
  if (!BranchEnd(branch, &endX, &endY)) return true;  // dropped with its whole subtree

  const int phase = depth % GrowthPhases;
  const bool atLevel = depth == store.recordingDepth;
  if (phase < GrowthPhases - 1) {
    if (atLevel) return RecordSegment(store, startX, startY, endX, endY, phase + 1);
    return GrowBranch(store, startX, startY, length, angleSteps, depth + 1, sideFlag);
  }
  if (atLevel) return RecordSegment(store, startX, startY, endX, endY, 0);

  Branch children[3];
  ForkChildren(branch, endX, endY, children);
  for (const Branch& child : children) {
    if (!GrowBranch(store, child.startX, child.startY, child.length, child.angleSteps, depth + 1,
                    child.sideFlag)) {
      return false;
    }
  }
  return true;
}

}  // namespace morv
