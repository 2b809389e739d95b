// Test helpers for the fern engine: a private store, a progress recorder and
// an allocator that counts live records and can be told to fail.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "precompute.h"
#include "segment_store.h"

namespace morv::testing {

// Counts live Segments; fails every allocation once `failAfter` have succeeded.
struct CountingAllocator {
  static inline long live = 0;
  static inline long made = 0;
  static inline long failAfter = -1;  // -1: never fail
  static Segment* Allocate() {
    if (failAfter >= 0 && made >= failAfter) return nullptr;
    ++made;
    ++live;
    return new Segment();
  }
  static void Release(Segment* s) {
    --live;
    delete s;
  }
  static void Reset(long failAfterCount = -1) {
    live = 0;
    made = 0;
    failAfter = failAfterCount;
  }
  static SegmentAllocator Get() { return {Allocate, Release}; }
};

// Records what the run tells the progress dialog, and can raise the abort flag
// before a chosen level call (counting from 0 over the whole run).
struct ProgressRecorder {
  ProgressState state{};
  int levelCalls = 0;
  int abortAtCall = -1;
  std::function<void(int call)> onLevel;  // optional, runs before the abort test
  std::vector<std::pair<int, std::string>> texts;

  ProgressPort Port() { return {this, &BeforeLevel, &SetText}; }
  static void BeforeLevel(void* context) {
    auto* self = static_cast<ProgressRecorder*>(context);
    if (self->onLevel) self->onLevel(self->levelCalls);
    if (self->levelCalls == self->abortAtCall) self->state.abortFlag.store(1);
    ++self->levelCalls;
  }
  static void SetText(void* context, int control, const char* text) {
    static_cast<ProgressRecorder*>(context)->texts.emplace_back(control, text);
  }
};

class FernTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFernStore(store_);
    CountingAllocator::Reset();
    store_.allocator = CountingAllocator::Get();
  }
  void TearDown() override {
    FreeFerns(store_);
    EXPECT_EQ(CountingAllocator::live, 0) << "every Segment is freed";
  }
  PrecomputeResult Compute(int width, int height) {
    ProgressPort quiet{nullptr, nullptr, nullptr};
    ProgressState progress{};
    return PrecomputeFerns(store_, width, height, quiet, progress);
  }
  // The records of one level, as a list.
  std::vector<Segment> Level(FernOrientation fern, int d) const {
    std::vector<Segment> out;
    ForEachSegmentInLevel(fern == Vertical ? store_.vertical : store_.horizontal, d,
                          [&](const Segment& s) { out.push_back(s); });
    return out;
  }
  FernStore store_;
};

}  // namespace morv::testing
