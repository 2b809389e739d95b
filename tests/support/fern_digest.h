// One number for a whole fern store: every record's fields in chain order and
// where each DepthIndex slot points along its chain, so that two stores (two
// builds, or a build and a recorded value) can be compared without a dump.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "segment_store.h"

namespace morv::testing {

inline std::uint64_t FernDigest(const FernStore& store) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a, a 32-bit word at a time
  auto mix = [&h](std::int64_t value) {
    h = (h ^ static_cast<std::uint32_t>(value)) * 1099511628211ull;
  };
  for (const DepthIndex* table : {&store.vertical, &store.horizontal}) {
    std::int64_t position = 0;
    int slot = 0;
    for (const Segment* s = (*table)[0]; s != nullptr; s = s->next, ++position) {
      for (; slot <= s->depth && slot < DepthIndexSlots; ++slot) {
        mix((*table)[slot] == s ? position : -1);
      }
      for (std::int32_t field : {s->startX, s->startY, s->endX, s->endY, s->tipFraction, s->depth}) {
        mix(field);
      }
    }
    mix(position);
    for (; slot < DepthIndexSlots; ++slot) mix((*table)[slot] == nullptr ? -1 : -2);
  }
  return h;
}

}  // namespace morv::testing
