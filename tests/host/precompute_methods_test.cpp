// The generation-by-generation precomputation must build exactly the store that
// the reference walk (the generator from the root, once per depth level) builds,
// and exactly the ferns that the saver has always drawn.
#include <gtest/gtest.h>

#include <cstdint>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "fern_digest.h"
#include "fern_fixture.h"
#include "precompute.h"
#include "recorded_ferns.h"

namespace morv {
namespace {

using testing::CountingAllocator;
using testing::ProgressRecorder;

struct Run {
  FernStore store;
  PrecomputeResult result;
  ProgressRecorder recorder;
};

void Compute(Run& run, PrecomputeMethod method, int width, int height, int abortAtCall,
             long failAfter = -1) {
  ResetFernStore(run.store);
  CountingAllocator::made = 0;  // live records of the other run stay counted
  CountingAllocator::failAfter = failAfter;
  run.store.allocator = CountingAllocator::Get();
  run.recorder.abortAtCall = abortAtCall;
  run.result = PrecomputeFerns(run.store, width, height, run.recorder.Port(), run.recorder.state,
                               method);
}

// Positions of every record along a chain, to compare slots across two stores.
std::unordered_map<const Segment*, long> Positions(const Segment* head) {
  std::unordered_map<const Segment*, long> at;
  long i = 0;
  for (const Segment* s = head; s != nullptr; s = s->next) at[s] = i++;
  return at;
}

void ExpectSameTable(const DepthIndex& fast, const DepthIndex& reference, const char* name) {
  const Segment* a = fast[0];
  const Segment* b = reference[0];
  long records = 0;
  for (; a != nullptr && b != nullptr; a = a->next, b = b->next, ++records) {
    if (a->startX != b->startX || a->startY != b->startY || a->endX != b->endX ||
        a->endY != b->endY || a->tipFraction != b->tipFraction || a->depth != b->depth) {
      ADD_FAILURE() << name << " record " << records << " differs";
      return;
    }
  }
  EXPECT_EQ(a, nullptr) << name << ": the fast chain is longer";
  EXPECT_EQ(b, nullptr) << name << ": the fast chain is shorter";
  const auto fastAt = Positions(fast[0]);
  const auto referenceAt = Positions(reference[0]);
  for (int d = 0; d < DepthIndexSlots; ++d) {
    ASSERT_EQ(fast[d] == nullptr, reference[d] == nullptr) << name << " slot " << d;
    if (fast[d] != nullptr) {
      EXPECT_EQ(fastAt.at(fast[d]), referenceAt.at(reference[d])) << name << " slot " << d;
    }
  }
}

void ExpectSameRuns(Run& fast, Run& reference) {
  EXPECT_EQ(fast.result.outcome, reference.result.outcome);
  EXPECT_EQ(fast.result.verticalLevels, reference.result.verticalLevels);
  EXPECT_EQ(fast.result.horizontalLevels, reference.result.horizontalLevels);
  EXPECT_EQ(fast.result.depthLevel, reference.result.depthLevel);
  EXPECT_EQ(fast.result.stoppedIn, reference.result.stoppedIn);
  EXPECT_EQ(fast.recorder.levelCalls, reference.recorder.levelCalls);
  EXPECT_EQ(fast.recorder.texts, reference.recorder.texts);
  ExpectSameTable(fast.store.vertical, reference.store.vertical, "vertical");
  ExpectSameTable(fast.store.horizontal, reference.store.horizontal, "horizontal");
}

void CompareMethods(int width, int height, int abortAtCall = -1, long failAfter = -1) {
  SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " abort at call " +
               std::to_string(abortAtCall) + " fail after " + std::to_string(failAfter));
  CountingAllocator::Reset();
  Run fast;
  Run reference;
  Compute(fast, PrecomputeMethod::Generations, width, height, abortAtCall, failAfter);
  Compute(reference, PrecomputeMethod::RootWalkPerLevel, width, height, abortAtCall, failAfter);
  ExpectSameRuns(fast, reference);
  FreeFerns(fast.store);
  FreeFerns(reference.store);
  EXPECT_EQ(CountingAllocator::live, 0) << "both runs leave nothing behind";
}

TEST(PrecomputeMethods, BuildTheSameStoreAtEverySize) {
  const std::pair<int, int> sizes[] = {
      {640, 480}, {152, 112}, {333, 157}, {157, 333}, {640, 9}, {9, 640},
      {9, 9},     {1, 1},     {10, 14},   {2001, 37},
#if !defined(__SANITIZE_ADDRESS__) && !defined(_WIN32)
      // The reference walk is slow: the large screens are compared in the plain host build only.
      {1920, 1080}, {3840, 2160},
#endif
  };
  for (const auto& size : sizes) CompareMethods(size.first, size.second);
}

TEST(PrecomputeMethods, StopAtTheSameLevelWhenAborted) {
  // 640x480: calls 0..109 are the vertical pass, 110..229 the horizontal one.
  for (int call : {0, 1, 4, 5, 6, 57, 109, 110, 111, 115, 180, 229}) CompareMethods(640, 480, call);
}

TEST(PrecomputeMethods, KeepTheSameCompleteLevelsWhenMemoryRunsOut) {
  for (long failAfter : {0L, 1L, 5L, 6L, 40L, 80489L, 80490L, 80491L, 150000L}) {
    CompareMethods(640, 480, -1, failAfter);
  }
}

TEST(PrecomputeMethods, DrawTheRecordedFernsAtEverySize) {
  for (const auto& fern : testing::RecordedFerns) {
#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
    // 7680x4320 holds 17 million records: seconds under the sanitizers and under Wine.
    if (fern.width * fern.height > 4000 * 4000) continue;
#endif
    SCOPED_TRACE(std::to_string(fern.width) + "x" + std::to_string(fern.height));
    FernStore store;
    ResetFernStore(store);
    const ProgressPort quiet{nullptr, nullptr, nullptr};
    ProgressState progress{};
    PrecomputeFerns(store, fern.width, fern.height, quiet, progress);
    EXPECT_EQ(ChainLength(store.vertical[0]), fern.vertical);
    EXPECT_EQ(ChainLength(store.horizontal[0]), fern.horizontal);
    EXPECT_EQ(testing::FernDigest(store), fern.digest);
    FreeFerns(store);
  }
}

}  // namespace
}  // namespace morv
