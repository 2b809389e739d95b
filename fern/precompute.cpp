#include "precompute.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "generator.h"

namespace morv {
namespace {

ProgressState g_progress{};

// Ratio by which each continuation shortens its parent: 26 / 32.
constexpr double StemRatio = 0.8125;

// A live branch with its rounded end point.
struct LiveBranch {
  Branch branch;
  int endX;
  int endY;
};

// A growable array that reports running out of memory instead of throwing.
class LiveBranchList {
 public:
  LiveBranchList() = default;
  LiveBranchList(const LiveBranchList&) = delete;
  LiveBranchList& operator=(const LiveBranchList&) = delete;
  ~LiveBranchList() { std::free(items_); }

  bool Push(const LiveBranch& item) {
    if (size_ == capacity_) {
      const std::size_t grown = capacity_ == 0 ? 64 : capacity_ * 2;
      void* more = std::realloc(items_, grown * sizeof(LiveBranch));
      if (more == nullptr) return false;
      items_ = static_cast<LiveBranch*>(more);
      capacity_ = grown;
    }
    items_[size_++] = item;
    return true;
  }
  void Clear() { size_ = 0; }
  void Swap(LiveBranchList& other) {
    std::swap(items_, other.items_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }
  const LiveBranch* begin() const { return items_; }
  const LiveBranch* end() const { return items_ + size_; }

 private:
  LiveBranch* items_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// Produces one fern's depth levels in order. The generation method keeps the
// live branches of the current generation, in the generator's depth-first
// order: a generation's branches are the children of the previous one's, parent
// by parent, short side branch, long side branch, continuation.
class LevelSource {
 public:
  LevelSource(PrecomputeMethod method, const RootBranch& root)
      : method_(method), root_{root.startX, root.startY, root.length, root.angle, 0} {}

  // Records depth level `depth` (levels are asked for in increasing order from 0).
  bool Record(FernStore& store, int depth) {
    if (method_ == PrecomputeMethod::RootWalkPerLevel) {
      return GrowBranch(store, root_.startX, root_.startY, root_.length, root_.angle, 0,
                        root_.sideFlag);
    }
    const int phase = depth % GrowthPhases;
    if (depth == 0) {
      if (!Start()) return false;
    } else if (phase == 0) {
      if (!NextGeneration()) return false;
    }
    const int tip = phase < GrowthPhases - 1 ? phase + 1 : 0;
    for (const LiveBranch& live : current_) {
      if (!RecordSegment(store, live.branch.startX, live.branch.startY, live.endX, live.endY, tip)) {
        return false;
      }
    }
    return true;
  }

 private:
  bool Add(LiveBranchList& list, const Branch& branch) {
    LiveBranch live{branch, 0, 0};
    if (!BranchEnd(branch, &live.endX, &live.endY)) return true;  // dropped with its subtree
    return list.Push(live);
  }
  bool Start() {
    current_.Clear();
    return Add(current_, root_);
  }
  bool NextGeneration() {
    next_.Clear();
    Branch children[3];
    for (const LiveBranch& live : current_) {
      ForkChildren(live.branch, live.endX, live.endY, children);
      for (const Branch& child : children) {
        if (!Add(next_, child)) return false;
      }
    }
    current_.Swap(next_);
    return true;
  }

  PrecomputeMethod method_;
  Branch root_;
  LiveBranchList current_;
  LiveBranchList next_;
};

void SetText(const ProgressPort& port, int control, const char* text) {
  if (port.setText != nullptr) port.setText(port.context, control, text);
}

// One fern's pass: one depth level after the other, each preceded by the
// synchronisation point and the abort test.
PrecomputeOutcome RunPass(FernStore& store, FernOrientation fern, const RootBranch& root,
                          int levelCount, PrecomputeMethod method, const ProgressPort& port,
                          ProgressState& progress, int* depthReached) {
  const int control = fern == Vertical ? VerticalStatusControl : HorizontalStatusControl;
  char line[ProgressLineChars];
  LevelSource source(method, root);
  BeginPass(store, fern);
  int depth = 0;
  for (; depth < GrowthPhases * levelCount; ++depth) {
    *depthReached = depth;
    if (port.beforeLevel != nullptr) port.beforeLevel(port.context);
    if (progress.abortFlag.load(std::memory_order_acquire) != 0) return PrecomputeOutcome::Aborted;
    store.recordingDepth = depth;
    if (!source.Record(store, depth)) {
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
                                 const ProgressPort& port, ProgressState& progress,
                                 PrecomputeMethod method) {
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
        RunPass(store, pass.fern, pass.root, pass.levels, method, port, progress, &depth);
    if (outcome != PrecomputeOutcome::Completed) {
      result.outcome = outcome;
      result.depthLevel = depth;
      result.stoppedIn = pass.fern;
      break;
    }
  }
  store.listTail = nullptr;
  return result;
}

}  // namespace morv
