// Windows: blocks straight from the virtual memory manager. Its allocation
// granularity is 64 KiB on every Windows, so a block costs exactly its size in
// address space. _aligned_malloc took twice that (it over-allocates to align),
// which ran a 32-bit saver out of address space at about 37 M records on big
// screens; it is also missing from the msvcrt.dll of Windows 98 and NT 4.0.
#include <windows.h>

#include "segment_blocks.h"

namespace morv {

static_assert(SegmentBlockBytes == 64 * 1024, "one block per allocation granule");

void* AllocateSegmentBlock() {
  return VirtualAlloc(nullptr, SegmentBlockBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeSegmentBlock(void* block) { VirtualFree(block, 0, MEM_RELEASE); }

}  // namespace morv
