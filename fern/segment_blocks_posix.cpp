#include <cstdlib>

#include "segment_blocks.h"

namespace morv {

void* AllocateSegmentBlock() { return std::aligned_alloc(SegmentBlockBytes, SegmentBlockBytes); }

void FreeSegmentBlock(void* block) { std::free(block); }

}  // namespace morv
