// The segment store: both ferns as depth-ordered chains of Segment records,
// with one DepthIndex table per fern giving the first Segment of each level.
#pragma once

#include <cstddef>
#include <cstdint>

namespace morv {

constexpr int MaxFernLevels = 50;                    // branch generations per fern
constexpr int GrowthPhases = 5;                      // depth levels per generation
constexpr int DepthIndexSlots = MaxFernLevels * GrowthPhases;  // 250

// Which fern: also the animation's orientation byte.
enum FernOrientation : std::uint8_t { Vertical = 0, Horizontal = 1 };

// One line of a fern in client pixels (origin top-left, y down).
struct Segment {
  std::int32_t startX = 0;
  std::int32_t startY = 0;
  std::int32_t endX = 0;
  std::int32_t endY = 0;
  std::int32_t tipFraction = 0;  // 1..4: only that many fifths are shown; 0: the whole line
  std::int32_t depth = 0;        // depth level 0..249 it was recorded at
  Segment* next = nullptr;
};

using DepthIndex = Segment* [DepthIndexSlots];

// Where the store gets its records and gives them back: the saver carves them from
// blocks (DefaultSegmentAllocator); tests swap in one that fails, to prove that the
// run then stops cleanly.
struct SegmentAllocator {
  Segment* (*allocate)();        // returns nullptr when out of memory
  void (*release)(Segment*);
};
// The default: records carved from 64 KiB blocks, each block freed with its last record.
const SegmentAllocator& DefaultSegmentAllocator();
// Blocks the default allocator holds, the one being carved included.
std::size_t SegmentBlocksInUse();

// The fern store record: the two tables plus the builder state of the running pass.
struct FernStore {
  DepthIndex vertical;
  DepthIndex horizontal;
  // A precomputation has started on this store (set as it starts, and it stays
  // set however the run ends): tells "never run" from "a fern with no level".
  bool runStarted;
  // Builder state, only meaningful while a pass runs.
  Segment* listTail;
  Segment** passIndex;   // table of the running pass
  int recordingDepth;    // the depth level being computed
  SegmentAllocator allocator;
};

// The saver's one store (process-wide, zero at start).
FernStore& Store();
// Back to the process-start state without freeing anything; for tests.
void ResetFernStore(FernStore& store);

inline DepthIndex& TableFor(FernStore& store, FernOrientation o) {
  return o == Vertical ? store.vertical : store.horizontal;
}
inline const DepthIndex& TableFor(const FernStore& store, std::uint8_t orientation) {
  return orientation == Vertical ? store.vertical : store.horizontal;
}

// Empties all 250 slots of both tables; frees nothing.
void ClearDepthIndexes(FernStore& store);

// Starts a fern's pass: an empty list tail, recording into that fern's table.
void BeginPass(FernStore& store, FernOrientation fern);

// Appends one Segment at the current recording depth. Returns false, changing
// nothing, when the Segment cannot be allocated.
bool RecordSegment(FernStore& store, int startX, int startY, int endX, int endY, int tipFraction);

// A line's two points, laid out as a Segment begins.
struct SegmentLine {
  std::int32_t startX;
  std::int32_t startY;
  std::int32_t endX;
  std::int32_t endY;
};

// Appends one Segment per line, in order, all at the current recording depth
// with the same tip fraction: what `count` RecordSegment calls would append,
// written in runs straight into the blocks when the store uses the default
// allocator. Returns false when memory runs out; the lines appended so far stay.
bool RecordSegments(FernStore& store, const SegmentLine* lines, std::size_t count, int tipFraction);

// Drops every Segment of the running pass's current level (used when a level
// could not be completed), leaving complete levels only.
void DiscardCurrentLevel(FernStore& store);

// Frees a chain starting at `first`; nullptr does nothing. Leaves the slots alone.
void FreeSegmentList(FernStore& store, Segment* first);
// Frees both chains and empties both tables.
void FreeFerns(FernStore& store);

// Visits the records of level d: from slot d while depth <= d.
template <typename Visit>
void ForEachSegmentInLevel(const DepthIndex& table, int d, Visit&& visit) {
  if (d < 0 || d >= DepthIndexSlots) return;
  for (const Segment* s = table[d]; s != nullptr && s->depth <= d; s = s->next) visit(*s);
}

// Number of records in a chain.
std::int64_t ChainLength(const Segment* first);

}  // namespace morv
