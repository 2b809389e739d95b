// The precomputation run: fills the store with both ferns for a window size,
// one depth level at a time, reporting progress and honouring an abort.
#pragma once

#include <atomic>
#include <cstdint>

#include "segment_store.h"

namespace morv {

constexpr int VerticalStatusControl = 1000;    // IDC_VERTICAL_STATUS
constexpr int HorizontalStatusControl = 1001;  // IDC_HORIZONTAL_STATUS
constexpr int ProgressLineChars = 256;

// How the run reaches the progress dialog. Both calls may be null.
struct ProgressPort {
  void* context;
  // Before each depth level; synchronous: the abort flag is read right after.
  void (*beforeLevel)(void* context);
  // Puts a progress line into one of the two status controls.
  void (*setText)(void* context, int controlId, const char* text);
};

// Shared with the progress dialog's thread.
struct ProgressState {
  std::atomic<std::uint8_t> abortFlag;  // set to 1 by the dialog; never cleared by the run
};
ProgressState& Progress();
void ResetProgress(ProgressState& progress);

// A fern's root branch for a client size.
struct RootBranch {
  int startX;
  int startY;
  double length;
  int angleSteps;  // as in Branch
};
RootBranch VerticalRoot(int clientWidth, int clientHeight);
RootBranch HorizontalRoot(int clientWidth, int clientHeight);

// Branch generations whose main stem is longer than one pixel, capped at 50.
int LevelCount(int rootLengthPixels);

enum class PrecomputeOutcome { Completed, Aborted, OutOfMemory };

// How each depth level is produced. Both fill the store identically.
enum class PrecomputeMethod {
  // Each live branch's geometry once, generation by generation: time
  // proportional to the number of segments.
  Generations,
  // The generator's walk from the root for every depth level: the reference.
  RootWalkPerLevel,
};

struct PrecomputeResult {
  PrecomputeOutcome outcome;
  int verticalLevels;
  int horizontalLevels;
  // Completed: 0. Stopped: the depth level that was about to be computed.
  int depthLevel;
  // The pass that was running when the run stopped (Vertical when completed).
  FernOrientation stoppedIn;
};

// The progress line for a fern, as the dialog shows it.
void FormatProgressLine(char (&out)[ProgressLineChars], FernOrientation fern, int generation,
                        int levelCount);

// Fills `store` (tables cleared first, chains must already be freed) with both
// ferns. Marks the store's run started, whatever the outcome.
PrecomputeResult PrecomputeFerns(FernStore& store, int clientWidth, int clientHeight,
                                 const ProgressPort& port, ProgressState& progress,
                                 PrecomputeMethod method = PrecomputeMethod::Generations);

}  // namespace morv
