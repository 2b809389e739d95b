// Where the segment store gets its memory: whole blocks of SegmentBlockBytes,
// each aligned to its own size, so that a record finds its block by masking
// its address. One implementation per platform.
#pragma once

#include <cstddef>

namespace morv {

constexpr std::size_t SegmentBlockBytes = 64 * 1024;

// A fresh block, or nullptr when out of memory.
void* AllocateSegmentBlock();
// Gives back a block from AllocateSegmentBlock.
void FreeSegmentBlock(void* block);

}  // namespace morv
