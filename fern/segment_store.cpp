#include "segment_store.h"

#include <cstdint>
#include <new>

#include "segment_blocks.h"

namespace morv {
namespace {

// Segments are carved in order from aligned 64 KiB blocks rather than taken
// from the heap one by one: a 4K screen holds about five million of them, and
// one heap call each dominated the precomputation (several times over under
// Windows' heap). Each record still comes and goes on its own: a block counts
// its live records, plus one while it is being carved, and is freed when the
// count drops to zero, so one walk over a chain still frees everything.
constexpr std::size_t BlockBytes = SegmentBlockBytes;

struct BlockHeader {
  std::size_t live;
};

constexpr std::size_t FirstRecordOffset =
    (sizeof(BlockHeader) + alignof(Segment) - 1) / alignof(Segment) * alignof(Segment);
constexpr std::size_t RecordsPerBlock = (BlockBytes - FirstRecordOffset) / sizeof(Segment);

// The block being carved and how far.
struct SegmentBlocks {
  BlockHeader* carving;
  std::size_t used;
  std::size_t blocksInUse;
};
SegmentBlocks g_blocks = {nullptr, 0, 0};

void* AllocateBlock() { return AllocateSegmentBlock(); }

void FreeBlock(BlockHeader* block) {
  --g_blocks.blocksInUse;
  FreeSegmentBlock(block);
}

void DropReference(BlockHeader* block) {
  if (--block->live == 0) FreeBlock(block);
}

Segment* BlockAllocate() {
  SegmentBlocks& blocks = g_blocks;
  if (blocks.carving == nullptr || blocks.used == RecordsPerBlock) {
    void* memory = AllocateBlock();
    if (memory == nullptr) return nullptr;
    ++blocks.blocksInUse;
    if (blocks.carving != nullptr) DropReference(blocks.carving);
    blocks.carving = new (memory) BlockHeader{1};
    blocks.used = 0;
  }
  char* base = reinterpret_cast<char*>(blocks.carving);
  Segment* s = new (base + FirstRecordOffset + blocks.used * sizeof(Segment)) Segment();
  ++blocks.used;
  ++blocks.carving->live;
  return s;
}

void BlockRelease(Segment* s) {
  const auto address = reinterpret_cast<std::uintptr_t>(s);
  DropReference(reinterpret_cast<BlockHeader*>(address & ~(std::uintptr_t{BlockBytes} - 1)));
}

const SegmentAllocator RecordsFromBlocks = {BlockAllocate, BlockRelease};

FernStore g_store = {{}, {}, false, nullptr, nullptr, 0, RecordsFromBlocks};

}  // namespace

const SegmentAllocator& DefaultSegmentAllocator() { return RecordsFromBlocks; }

std::size_t SegmentBlocksInUse() { return g_blocks.blocksInUse; }

FernStore& Store() { return g_store; }

void ResetFernStore(FernStore& store) {
  store = FernStore{{}, {}, false, nullptr, nullptr, 0, RecordsFromBlocks};
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
