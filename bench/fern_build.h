// One build of the fern engine as the precomputation benchmark drives it.
// fern_build.cpp is compiled once against the SSE2 build (namespace
// fern_sse2) and once against the x87 build (namespace fern_x87), so that one
// program times both side by side.
#pragma once

#include <cstdint>

#define MORV_DECLARE_FERN_BUILD(name)                                        \
  namespace name {                                                           \
  /* Fills the build's store for a screen size; rootWalk: the reference. */ \
  void Precompute(int width, int height, bool rootWalk);                     \
  /* Frees what Precompute made and says how many segments it was. */       \
  std::int64_t FreeFerns();                                                  \
  }

MORV_DECLARE_FERN_BUILD(fern_sse2)
MORV_DECLARE_FERN_BUILD(fern_x87)

#undef MORV_DECLARE_FERN_BUILD
