#include "level_stats.h"

#include <initializer_list>

namespace morv {

std::int64_t LargestLevelSegments(const FernStore& store) {
  std::int64_t largest = 0;
  for (const DepthIndex* table : {&store.vertical, &store.horizontal}) {
    for (int d = 0; d < DepthIndexSlots; ++d) {
      std::int64_t count = 0;
      ForEachSegmentInLevel(*table, d, [&count](const Segment&) { ++count; });
      if (count > largest) largest = count;
    }
  }
  return largest;
}

}  // namespace morv
