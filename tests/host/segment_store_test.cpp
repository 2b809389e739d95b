#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fern_fixture.h"
#include "segment_store.h"

namespace morv {
namespace {

using testing::CountingAllocator;
using StoreTest = testing::FernTest;

TEST_F(StoreTest, EmptyStoreVisitsNothingAndFreesNothing) {
  for (int d : {0, 1, 249}) {
    EXPECT_TRUE(Level(Vertical, d).empty());
    EXPECT_TRUE(Level(Horizontal, d).empty());
  }
  FreeSegmentList(store_, nullptr);
  EXPECT_EQ(CountingAllocator::live, 0);
}

TEST_F(StoreTest, ReadingOutsideTheTableVisitsNothing) {
  Compute(640, 480);
  EXPECT_TRUE(Level(Vertical, -1).empty());
  EXPECT_TRUE(Level(Vertical, DepthIndexSlots).empty());
}

TEST_F(StoreTest, VerticalRootFillsTheFirstFiveSlotsWithConsecutiveRecords) {
  Compute(640, 480);
  for (int d = 0; d < 5; ++d) {
    const Segment* s = store_.vertical[d];
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->startX, 320);
    EXPECT_EQ(s->startY, 480);
    EXPECT_EQ(s->endX, 320);
    EXPECT_EQ(s->endY, 384);
    EXPECT_EQ(s->tipFraction, d < 4 ? d + 1 : 0);
    EXPECT_EQ(s->depth, d);
    EXPECT_EQ(s->next, store_.vertical[d + 1]) << "level " << d << " has one record";
  }
  const auto level5 = Level(Vertical, 5);
  ASSERT_EQ(level5.size(), 3u);
  EXPECT_EQ(level5.back().next, store_.vertical[6]) << "the visit of level 5 stops at level 6";
}

TEST_F(StoreTest, EachFernIsIndexedInItsOwnTableOnAWideWindow) {
  Compute(640, 480);  // vertical 22 levels, horizontal 24
  for (int d = 0; d < DepthIndexSlots; ++d) {
    EXPECT_EQ(store_.horizontal[d] != nullptr, d < 120) << "horizontal slot " << d;
    EXPECT_EQ(store_.vertical[d] != nullptr, d < 110) << "vertical slot " << d;
  }
}

// Walks a chain and checks the store's invariants against its table.
void ExpectIndexedChain(const DepthIndex& table, long expectedRecords) {
  long count = 0;
  int lastDepth = -1;
  for (const Segment* s = table[0]; s != nullptr; s = s->next, ++count) {
    ASSERT_GE(s->depth, lastDepth) << "depth never decreases along the chain";
    if (s->depth != lastDepth) {
      EXPECT_EQ(table[s->depth], s) << "slot " << s->depth << " holds its level's first record";
    }
    lastDepth = s->depth;
  }
  EXPECT_EQ(count, expectedRecords);
}

TEST_F(StoreTest, ChainsAreDepthOrderedAndEverySlotPointsAtItsLevelsFirstRecord) {
  Compute(640, 480);
  ExpectIndexedChain(store_.vertical, 80490);
  ExpectIndexedChain(store_.horizontal, 137150);
}

TEST_F(StoreTest, TheHorizontalPassNeverWritesTheVerticalTable) {
  // Tall, wide and flat windows: either fern may have more levels than the other.
  for (auto size : {std::pair{640, 480}, std::pair{300, 900}, std::pair{900, 12}}) {
    FreeFerns(store_);
    const int verticalCalls = 5 * LevelCount(size.second / 5);
    std::vector<Segment*> snapshot;
    testing::ProgressRecorder recorder;
    recorder.onLevel = [&](int call) {
      if (call == verticalCalls) snapshot.assign(std::begin(store_.vertical), std::end(store_.vertical));
    };
    PrecomputeFerns(store_, size.first, size.second, recorder.Port(), recorder.state);
    ASSERT_EQ(snapshot.size(), static_cast<size_t>(DepthIndexSlots));
    EXPECT_TRUE(std::equal(snapshot.begin(), snapshot.end(), std::begin(store_.vertical)))
        << size.first << "x" << size.second;
  }
}

TEST_F(StoreTest, ALevelWithoutRecordsLeavesItsSlotEmptyAndTheNextIsStillIndexed) {
  BeginPass(store_, Vertical);
  store_.recordingDepth = 0;
  ASSERT_TRUE(RecordSegment(store_, 0, 0, 1, 1, 1));
  store_.recordingDepth = 2;
  ASSERT_TRUE(RecordSegment(store_, 0, 0, 2, 2, 3));
  ASSERT_TRUE(RecordSegment(store_, 0, 0, 3, 3, 7));  // not a tip fraction: the whole line
  EXPECT_EQ(store_.vertical[1], nullptr);
  ASSERT_NE(store_.vertical[2], nullptr);
  EXPECT_EQ(store_.vertical[2]->endX, 2);
  EXPECT_EQ(Level(Vertical, 2).size(), 2u);
  EXPECT_EQ(Level(Vertical, 2).back().tipFraction, 0);
  EXPECT_TRUE(Level(Vertical, 1).empty());
}

TEST_F(StoreTest, AFailedAllocationRecordsNothing) {
  BeginPass(store_, Vertical);
  store_.recordingDepth = 0;
  CountingAllocator::failAfter = 1;
  ASSERT_TRUE(RecordSegment(store_, 0, 0, 1, 1, 1));
  EXPECT_FALSE(RecordSegment(store_, 0, 0, 2, 2, 1));
  EXPECT_EQ(ChainLength(store_.vertical[0]), 1);
  EXPECT_EQ(store_.listTail, store_.vertical[0]);
}

TEST_F(StoreTest, DiscardingALevelCutsTheChainBackToCompleteLevels) {
  BeginPass(store_, Horizontal);
  for (int d = 0; d < 3; ++d) {
    store_.recordingDepth = d;
    for (int i = 0; i <= d; ++i) ASSERT_TRUE(RecordSegment(store_, d, i, 0, 0, 1));
  }
  DiscardCurrentLevel(store_);
  EXPECT_EQ(ChainLength(store_.horizontal[0]), 3);
  EXPECT_EQ(store_.horizontal[2], nullptr);
  EXPECT_EQ(store_.listTail->depth, 1);
  EXPECT_EQ(store_.listTail->next, nullptr);
  EXPECT_EQ(CountingAllocator::live, 3);

  // Discarding the first level leaves an empty fern.
  store_.recordingDepth = 0;
  FreeFerns(store_);
  BeginPass(store_, Horizontal);
  ASSERT_TRUE(RecordSegment(store_, 0, 0, 1, 1, 1));
  DiscardCurrentLevel(store_);
  EXPECT_EQ(store_.horizontal[0], nullptr);
  EXPECT_EQ(store_.listTail, nullptr);
  EXPECT_EQ(CountingAllocator::live, 0);
}

TEST_F(StoreTest, FreeingBothFernsReleasesEveryRecord) {
  Compute(152, 112);
  EXPECT_EQ(CountingAllocator::live, 4755 + 8700);
  FreeFerns(store_);
  EXPECT_EQ(CountingAllocator::live, 0);
  EXPECT_EQ(store_.vertical[0], nullptr);
  EXPECT_EQ(store_.horizontal[0], nullptr);
}

TEST(DefaultAllocator, RecordsComeZeroedAndEveryBlockGoesWithItsLastRecord) {
  FernStore store;
  ResetFernStore(store);
  const std::size_t before = SegmentBlocksInUse();
  ProgressPort quiet{nullptr, nullptr, nullptr};
  ProgressState progress{};
  PrecomputeFerns(store, 640, 480, quiet, progress);  // about a hundred blocks
  EXPECT_GT(SegmentBlocksInUse(), before + 50);
  for (const Segment* s = store.vertical[0]; s != nullptr; s = s->next) {
    ASSERT_TRUE(s->tipFraction >= 0 && s->tipFraction <= 4);
  }
  // The two chains share blocks; freeing them in either order frees the blocks.
  FreeSegmentList(store, store.horizontal[0]);
  FreeSegmentList(store, store.vertical[0]);
  EXPECT_LE(SegmentBlocksInUse(), 1u) << "only the block being carved may stay";

  // A fresh record is all zero even in a reused block position.
  BeginPass(store, Vertical);
  store.recordingDepth = 3;
  ASSERT_TRUE(RecordSegment(store, 1, 2, 3, 4, 9));
  const Segment& s = *store.vertical[0];
  EXPECT_EQ(s.tipFraction, 0);
  EXPECT_EQ(s.next, nullptr);
  FreeSegmentList(store, store.vertical[0]);
  EXPECT_LE(SegmentBlocksInUse(), 1u);
}

}  // namespace
}  // namespace morv
