#include "precompute.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "generator.h"

namespace morv {
namespace {

ProgressState g_progress{};

// Ratio by which each continuation shortens its parent: 26 / 32.
constexpr double StemRatio = 0.8125;

// A growable array of plain records that reports running out of memory
// instead of throwing.
template <typename T>
class GrowableArray {
 public:
  GrowableArray() = default;
  GrowableArray(const GrowableArray&) = delete;
  GrowableArray& operator=(const GrowableArray&) = delete;
  ~GrowableArray() { std::free(items_); }

  // Empties the array and makes room for `count` items.
  bool ClearAndReserve(std::size_t count) {
    size_ = 0;
    if (count <= capacity_) return true;
    // Nothing to keep: a fresh allocation copies nothing.
    std::free(items_);
    capacity_ = count > 2 * capacity_ ? count : 2 * capacity_;
    items_ = static_cast<T*>(std::malloc(capacity_ * sizeof(T)));
    if (items_ == nullptr) capacity_ = 0;
    return items_ != nullptr;
  }
  // Makes the first `count` reserved items the contents.
  void SetSize(std::size_t count) { size_ = count; }
  void Swap(GrowableArray& other) {
    std::swap(items_, other.items_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }
  T* data() { return items_; }
  const T* data() const { return items_; }
  std::size_t size() const { return size_; }

 private:
  T* items_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// The widest turn, in steps either way.
constexpr int MaxTurnSteps = -ShortSideTurnSteps;
static_assert(LongSideTurn <= -ShortSideTurn && -ContinuationTurn <= -ShortSideTurn,
              "the short side branch turns most");

// The roots' directions, and how far their generations can turn from them: the
// direction table holds exactly that range, so that nothing else can be looked up.
constexpr int VerticalRootDegrees = 0;
constexpr int HorizontalRootDegrees = 270;
static_assert(VerticalRootDegrees % DegreesPerStep == 0 &&
                  HorizontalRootDegrees % DegreesPerStep == 0,
              "roots are whole steps");
constexpr int VerticalRootSteps = VerticalRootDegrees / DegreesPerStep;
constexpr int HorizontalRootSteps = HorizontalRootDegrees / DegreesPerStep;
constexpr int MaxReachSteps = MaxTurnSteps * (MaxFernLevels - 1);
static_assert(FirstDirectionStep ==
                      std::min(VerticalRootSteps, HorizontalRootSteps) - MaxReachSteps &&
                  LastDirectionStep ==
                      std::max(VerticalRootSteps, HorizontalRootSteps) + MaxReachSteps,
              "the direction table holds every direction a fern reaches, and no other");

// The rest of a live branch beside its line.
struct BranchShape {
  double length;  // unrounded
  int angleSteps;
  int sideFlag;  // 0 or 1
};

// While it lives, the x87 unit rounds every sum, product and quotient to a
// double's 53 bits, as SSE2 and every other floating-point unit do. Left at
// its usual 64 bits it keeps extra bits in registers: a child's length could
// enter its products unrounded (the generator passes it on rounded, as a call
// argument) and a quotient rounded twice can differ in its last bit. Elsewhere
// this does nothing. It is held around the computing of a level and of the
// level counts, never around a call into the progress dialog.
class DoubleRounding {
 public:
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__)) && FLT_EVAL_METHOD == 2
  DoubleRounding() {
    __asm__ __volatile__("fnstcw %0" : "=m"(saved_) : : "memory");
    const unsigned short doubles = (saved_ & ~0xF00u) | 0x200u;  // 53 bits, to nearest
    __asm__ __volatile__("fldcw %0" : : "m"(doubles) : "memory");
  }
  ~DoubleRounding() { __asm__ __volatile__("fldcw %0" : : "m"(saved_) : "memory"); }

 private:
  unsigned short saved_;
#else
  DoubleRounding() {}
#endif
  DoubleRounding(const DoubleRounding&) = delete;
  DoubleRounding& operator=(const DoubleRounding&) = delete;
};

// RoundHalfUp(n / 5.0) in integers: n / 5 has a fraction of 0, 0.2, 0.4, 0.6 or
// 0.8, far from the 0.5 that decides, so the double quotient rounds alike, to
// floor((n + 2) / 5). Taken on a biased unsigned value, that floor needs no
// branch on the sign (which is as random as the branches' directions); it holds
// for any |n| below 2^30, branch vectors below 2^28 pixels.
inline int RoundedFifth(int n) {
  constexpr unsigned Bias = 5u << 28;
  return static_cast<int>((static_cast<unsigned>(n) + 2u + Bias) / 5u) -
         static_cast<int>(Bias / 5u);
}

// Produces one fern's depth levels in order. The generation method keeps the
// live branches of the current generation, in the generator's depth-first
// order: a generation's branches are the children of the previous one's, parent
// by parent, short side branch, long side branch, continuation. It gets the
// generator's numbers by cheaper roads: the fork points' divisions by 5 in
// integers, and no look at a child too short to round to a line.
class LevelSource {
 public:
  LevelSource(PrecomputeMethod method, const RootBranch& root)
      : method_(method), root_{root.startX, root.startY, root.length, root.angleSteps, 0} {}
  LevelSource(const LevelSource&) = delete;
  LevelSource& operator=(const LevelSource&) = delete;

  // Records depth level `depth` (levels are asked for in increasing order from 0).
  bool Record(FernStore& store, int depth) {
    const DoubleRounding rounding;
    if (method_ == PrecomputeMethod::RootWalkPerLevel) {
      return GrowBranch(store, root_.startX, root_.startY, root_.length, root_.angleSteps, 0,
                        root_.sideFlag);
    }
    const int phase = depth % GrowthPhases;
    if (depth == 0) {
      if (!Start()) return false;
    } else if (phase == 0) {
      if (!NextGeneration()) return false;
    }
    const int tip = phase < GrowthPhases - 1 ? phase + 1 : 0;
    return RecordSegments(store, lines_.data(), lines_.size(), tip);
  }

 private:
  bool Start() {
    if (!lines_.ClearAndReserve(1) || !shapes_.ClearAndReserve(1)) return false;
    std::size_t live = 0;
    Grow(root_.startX, root_.startY, root_.length, root_.angleSteps, 0, lines_.data(),
         shapes_.data(), &live);
    lines_.SetSize(live);
    shapes_.SetSize(live);
    return true;
  }

  // Adds the branch at out[*count] unless it rounds to its start point. A branch
  // long enough to look at is written either way and kept by the count: whether
  // it rounds away is a branch the processor could not predict.
  void Grow(int x, int y, double length, int angleSteps, int sideFlag, SegmentLine* outLines,
            BranchShape* outShapes, std::size_t* count) const {
    // Neither offset is longer than the branch: below 0.5 both round to 0.
    if (length < 0.5) return;
    const Direction& d = DirectionOf(angleSteps);
    int endX = 0;
    int endY = 0;
    const bool live = EndPoint(x, y, length, d.sine, d.cosine, &endX, &endY);
    outLines[*count] = {x, y, endX, endY};
    outShapes[*count] = {length, angleSteps, sideFlag};
    *count += live ? 1 : 0;
  }

  bool NextGeneration() {
    const std::size_t parents = lines_.size();
    if (!nextLines_.ClearAndReserve(3 * parents) || !nextShapes_.ClearAndReserve(3 * parents)) {
      return false;
    }
    SegmentLine* outLines = nextLines_.data();
    BranchShape* outShapes = nextShapes_.data();
    std::size_t count = 0;
    for (std::size_t i = 0; i < parents; ++i) {
      const SegmentLine& p = lines_.data()[i];
      const BranchShape& shape = shapes_.data()[i];
      // The continuation is the longest child: when it is dropped, all are.
      const double continuation = ContinuationLength(shape.length);
      if (continuation < 0.5) continue;
      const int vx = p.endX - p.startX;
      const int vy = p.endY - p.startY;
      const int side = shape.sideFlag;
      const int turn = side == 0 ? 1 : -1;
      Grow(p.startX + RoundedFifth(vx * 4), p.startY + RoundedFifth(vy * 4),
           ShortSideLength(shape.length), shape.angleSteps + turn * ShortSideTurnSteps, 1 - side,
           outLines, outShapes, &count);
      Grow(p.startX + RoundedFifth(2 * vx), p.startY + RoundedFifth(2 * vy),
           LongSideLength(shape.length), shape.angleSteps + turn * LongSideTurnSteps, side,
           outLines, outShapes, &count);
      Grow(p.endX, p.endY, continuation, shape.angleSteps + turn * ContinuationTurnSteps, side,
           outLines, outShapes, &count);
    }
    nextLines_.SetSize(count);
    nextShapes_.SetSize(count);
    lines_.Swap(nextLines_);
    shapes_.Swap(nextShapes_);
    return true;
  }

  PrecomputeMethod method_;
  Branch root_;
  GrowableArray<SegmentLine> lines_;
  GrowableArray<BranchShape> shapes_;
  GrowableArray<SegmentLine> nextLines_;
  GrowableArray<BranchShape> nextShapes_;
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
  return {clientWidth / 2, clientHeight, static_cast<double>(clientHeight / 5), VerticalRootSteps};
}

RootBranch HorizontalRoot(int clientWidth, int clientHeight) {
  return {clientWidth, clientHeight / 2, static_cast<double>(clientWidth / 5), HorizontalRootSteps};
}

int LevelCount(int rootLengthPixels) {
  const DoubleRounding rounding;
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
  store.runStarted = true;
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
