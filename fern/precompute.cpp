#include "precompute.h"

#include <cstdio>

#include "generator.h"

namespace morv {
namespace {

ProgressState g_progress{};

// Ratio by which each continuation shortens its parent: 26 / 32.
constexpr double StemRatio = 0.8125;

void SetText(const ProgressPort& port, int control, const char* text) {
  if (port.setText != nullptr) port.setText(port.context, control, text);
}

// One fern's pass: one generator walk from the root per depth level.
PrecomputeOutcome RunPass(FernStore& store, FernOrientation fern, const RootBranch& root,
                          int levelCount, const ProgressPort& port, ProgressState& progress,
                          int* depthReached) {
  const int control = fern == Vertical ? VerticalStatusControl : HorizontalStatusControl;
  char line[ProgressLineChars];
  BeginPass(store, fern);
  int depth = 0;
  for (; depth < GrowthPhases * levelCount; ++depth) {
    *depthReached = depth;
    if (port.beforeLevel != nullptr) port.beforeLevel(port.context);
    if (progress.abortFlag.load(std::memory_order_acquire) != 0) return PrecomputeOutcome::Aborted;
    store.recordingDepth = depth;
    if (!GrowBranch(store, root.startX, root.startY, root.length, root.angle, 0, 0)) {
      DiscardCurrentLevel(store);
      return PrecomputeOutcome::OutOfMemory;
    }
    if (depth % GrowthPhases == 0) {
      FormatProgressLine(line, fern, depth / GrowthPhases, levelCount);
      SetText(port, control, line);
    }
  }
  *depthReached = depth;
  FormatProgressLine(line, fern, depth / GrowthPhases, levelCount);
  SetText(port, control, line);
  return PrecomputeOutcome::Completed;
}

}  // namespace

ProgressState& Progress() { return g_progress; }

void ResetProgress(ProgressState& progress) { progress.abortFlag.store(0); }

RootBranch VerticalRoot(int clientWidth, int clientHeight) {
  return {clientWidth / 2, clientHeight, static_cast<double>(clientHeight / 5), 0.0};
}

RootBranch HorizontalRoot(int clientWidth, int clientHeight) {
  return {clientWidth, clientHeight / 2, static_cast<double>(clientWidth / 5), 270.0};
}

int LevelCount(int rootLengthPixels) {
  double length = rootLengthPixels;
  int count = 0;
  while (length > 1.0) {
    length *= StemRatio;
    ++count;
  }
  return count < MaxFernLevels ? count : MaxFernLevels;
}

void FormatProgressLine(char (&out)[ProgressLineChars], FernOrientation fern, int generation,
                        int levelCount) {
  std::snprintf(out, sizeof out,
                fern == Vertical ? "Computed depth %d of %d for vertical fern."
                                 : "Computed depth %d of %d for horizontal fern.",
                generation, levelCount);
}

PrecomputeResult PrecomputeFerns(FernStore& store, int clientWidth, int clientHeight,
                                 const ProgressPort& port, ProgressState& progress) {
  ClearDepthIndexes(store);
  store.computed = true;
  PrecomputeResult result{PrecomputeOutcome::Completed, LevelCount(clientHeight / 5),
                          LevelCount(clientWidth / 5), 0, Vertical};
  const struct {
    FernOrientation fern;
    RootBranch root;
    int levels;
  } passes[] = {
      {Vertical, VerticalRoot(clientWidth, clientHeight), result.verticalLevels},
      {Horizontal, HorizontalRoot(clientWidth, clientHeight), result.horizontalLevels},
  };
  for (const auto& pass : passes) {
    int depth = 0;
    const PrecomputeOutcome outcome =
        RunPass(store, pass.fern, pass.root, pass.levels, port, progress, &depth);
    if (outcome != PrecomputeOutcome::Completed) {
      result.outcome = outcome;
      result.depthLevel = depth;
      result.stoppedIn = pass.fern;
      store.listTail = nullptr;
      return result;
    }
  }
  store.listTail = nullptr;
  return result;
}

}  // namespace morv
