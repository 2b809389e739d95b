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
struct BlockHeader {
  std::size_t live;
};

constexpr std::size_t FirstRecordOffset =
    (sizeof(BlockHeader) + alignof(Segment) - 1) / alignof(Segment) * alignof(Segment);
constexpr std::size_t RecordsPerBlock = (SegmentBlockBytes - FirstRecordOffset) / sizeof(Segment);

// The block being carved and how far.
struct SegmentBlocks {
  BlockHeader* carving;
  std::size_t used;
  std::size_t blocksInUse;
};
SegmentBlocks g_blocks = {nullptr, 0, 0};

void FreeBlock(BlockHeader* block) {
  --g_blocks.blocksInUse;
  FreeSegmentBlock(block);
}

void DropReference(BlockHeader* block) {
  if (--block->live == 0) FreeBlock(block);
}

// Room for up to `wanted` records standing one after the other, from the block
// being carved or a fresh one; nullptr when out of memory. *got says how many.
char* CarveRun(std::size_t wanted, std::size_t* got) {
  SegmentBlocks& blocks = g_blocks;
  if (blocks.carving == nullptr || blocks.used == RecordsPerBlock) {
    void* memory = AllocateSegmentBlock();
    if (memory == nullptr) return nullptr;
    ++blocks.blocksInUse;
    if (blocks.carving != nullptr) DropReference(blocks.carving);
    blocks.carving = new (memory) BlockHeader{1};
    blocks.used = 0;
  }
  const std::size_t room = RecordsPerBlock - blocks.used;
  const std::size_t run = wanted < room ? wanted : room;
  char* first = reinterpret_cast<char*>(blocks.carving) + FirstRecordOffset +
                blocks.used * sizeof(Segment);
  blocks.used += run;
  blocks.carving->live += run;
  *got = run;
  return first;
}

Segment* BlockAllocate() {
  std::size_t got = 0;
  char* memory = CarveRun(1, &got);
  return memory == nullptr ? nullptr : new (memory) Segment();
}

void BlockRelease(Segment* s) {
  const auto address = reinterpret_cast<std::uintptr_t>(s);
  DropReference(
      reinterpret_cast<BlockHeader*>(address & ~(std::uintptr_t{SegmentBlockBytes} - 1)));
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

namespace {

// Links the records first..last, already chained to each other, after the list
// tail, entering `first` in its level's slot when it opens that level.
void Append(FernStore& store, Segment* first, Segment* last) {
  const int depth = store.recordingDepth;
  if (store.listTail == nullptr) {
    store.passIndex[0] = first;
    // A pass whose first record is deeper than level 0 still indexes that level.
    if (depth > 0) store.passIndex[depth] = first;
  } else {
    store.listTail->next = first;
    if (depth > store.listTail->depth) store.passIndex[depth] = first;
  }
  store.listTail = last;
}

int StoredTip(int tipFraction) { return tipFraction >= 1 && tipFraction <= 4 ? tipFraction : 0; }

}  // namespace

bool RecordSegment(FernStore& store, int startX, int startY, int endX, int endY, int tipFraction) {
  Segment* s = store.allocator.allocate();
  if (s == nullptr) return false;
  Append(store, s, s);
  s->startX = startX;
  s->startY = startY;
  s->endX = endX;
  s->endY = endY;
  s->tipFraction = StoredTip(tipFraction);
  s->depth = store.recordingDepth;
  return true;
}

bool RecordSegments(FernStore& store, const SegmentLine* lines, std::size_t count, int tipFraction) {
  if (store.allocator.allocate != RecordsFromBlocks.allocate) {
    for (std::size_t i = 0; i < count; ++i) {
      const SegmentLine& l = lines[i];
      if (!RecordSegment(store, l.startX, l.startY, l.endX, l.endY, tipFraction)) return false;
    }
    return true;
  }
  // Whole runs of a block at a time, each record written once, complete.
  const std::int32_t tip = StoredTip(tipFraction);
  const std::int32_t depth = store.recordingDepth;
  while (count > 0) {
    std::size_t run = 0;
    char* memory = CarveRun(count, &run);
    if (memory == nullptr) return false;
    Segment* const first = reinterpret_cast<Segment*>(memory);
    for (std::size_t i = 0; i + 1 < run; ++i) {
      const SegmentLine& l = lines[i];
      Segment* const next = reinterpret_cast<Segment*>(memory + (i + 1) * sizeof(Segment));
      new (memory + i * sizeof(Segment))
          Segment{l.startX, l.startY, l.endX, l.endY, tip, depth, next};
    }
    const SegmentLine& l = lines[run - 1];
    Segment* const last = new (memory + (run - 1) * sizeof(Segment))
        Segment{l.startX, l.startY, l.endX, l.endY, tip, depth, nullptr};
    Append(store, first, last);
    lines += run;
    count -= run;
  }
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
