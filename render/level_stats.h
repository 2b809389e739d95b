// What the drawing needs to know about the computed ferns before it starts.
#pragma once

#include <cstdint>

#include "segment_store.h"

namespace morv {

// The most segments any one depth level of either fern draws: the size of the
// batched sink's buffer. Counts exactly what DrawDepthLevel visits, level by
// level, so the chains are walked once; 0 when nothing is computed.
std::int64_t LargestLevelSegments(const FernStore& store);

}  // namespace morv
