#include "segment_store.h"

#include <new>

namespace morv {
namespace {

Segment* HeapAllocate() { return new (std::nothrow) Segment(); }
void HeapRelease(Segment* s) { delete s; }

const SegmentAllocator kHeap = {HeapAllocate, HeapRelease};

FernStore g_store = {{}, {}, false, nullptr, nullptr, 0, kHeap};

}  // namespace

const SegmentAllocator& DefaultSegmentAllocator() { return kHeap; }

FernStore& Store() { return g_store; }

void ResetFernStore(FernStore& store) {
  store = FernStore{{}, {}, false, nullptr, nullptr, 0, kHeap};
}

void ClearDepthIndexes(FernStore& store) {
  for (int d = 0; d < DepthIndexSlots; ++d) {
    store.vertical[d] = nullptr;
    store.horizontal[d] = nullptr;
  }
}

void BeginPass(FernStore& store, FernOrientation fern) {
  store.listTail = nullptr;
  // Each pass names its own table. Deriving it from whether the vertical head
  // is taken would file a whole horizontal fern under the vertical table on a
  // window too low for any vertical level.
  store.passIndex = TableFor(store, fern);
  store.recordingDepth = 0;
}

bool RecordSegment(FernStore& store, int startX, int startY, int endX, int endY, int tipFraction) {
  Segment* s = store.allocator.allocate();
  if (s == nullptr) return false;
  const int depth = store.recordingDepth;
  if (store.listTail == nullptr) {
    store.passIndex[0] = s;
    // A pass whose first record is deeper than level 0 still indexes that level.
    if (depth > 0) store.passIndex[depth] = s;
  } else {
    store.listTail->next = s;
    if (depth > store.listTail->depth) store.passIndex[depth] = s;
  }
  store.listTail = s;
  s->startX = startX;
  s->startY = startY;
  s->endX = endX;
  s->endY = endY;
  if (tipFraction >= 1 && tipFraction <= 4) s->tipFraction = tipFraction;
  s->depth = depth;
  return true;
}

void DiscardCurrentLevel(FernStore& store) {
  const int depth = store.recordingDepth;
  if (depth < 0 || depth >= DepthIndexSlots || store.listTail == nullptr) return;
  Segment* first = store.passIndex[depth];
  if (first == nullptr || first->depth != depth) return;
  // Find the record before the level so that the chain can be cut there.
  Segment* before = nullptr;
  for (int d = depth - 1; d >= 0 && before == nullptr; --d) {
    for (Segment* s = store.passIndex[d]; s != nullptr && s != first; s = s->next) before = s;
  }
  FreeSegmentList(store, first);
  store.passIndex[depth] = nullptr;
  if (before == nullptr) {
    store.passIndex[0] = nullptr;
  } else {
    before->next = nullptr;
  }
  store.listTail = before;
}

void FreeSegmentList(FernStore& store, Segment* first) {
  while (first != nullptr) {
    Segment* next = first->next;
    store.allocator.release(first);
    first = next;
  }
}

void FreeFerns(FernStore& store) {
  FreeSegmentList(store, store.vertical[0]);
  FreeSegmentList(store, store.horizontal[0]);
  ClearDepthIndexes(store);
  store.listTail = nullptr;
}

std::int64_t ChainLength(const Segment* first) {
  std::int64_t n = 0;
  for (; first != nullptr; first = first->next) ++n;
  return n;
}

}  // namespace morv
