// The ferns as the saver has drawn them from the start, at twelve sizes: records
// per fern and the digest of both stores (every field of every record, every
// slot). Every build of the engine must give exactly these.
#pragma once

#include <cstdint>

namespace morv::testing {

struct RecordedFern {
  int width, height;
  std::int64_t vertical, horizontal;
  std::uint64_t digest;
};

inline constexpr RecordedFern RecordedFerns[] = {
    {13, 13, 30, 30, 0x5c7a65daf966072d},
    {152, 112, 4755, 8700, 0x0af52b3f5b436e9d},
    {333, 157, 9400, 42275, 0xb7ed9ac734185466},
    {640, 480, 80490, 137150, 0x5bd707c55370e56c},
    {640, 9, 0, 137150, 0x86bd53ab7bc777be},
    {800, 600, 118315, 200305, 0x067a05b25d96e3a7},
    {1440, 900, 244715, 585035, 0xf608cbd210824c4c},
    {1920, 1080, 344775, 988660, 0x4a113e80d3d3895f},
    {2001, 37, 680, 1094020, 0x39d26c82706af828},
    {3000, 2000, 1094020, 2351425, 0xb56448af3f201d64},
    {3840, 2160, 1228940, 3648250, 0x5dcbeb28be15864b},
    {7680, 4320, 4537435, 12828905, 0xf9c44b6ab9d3d756},
};

}  // namespace morv::testing
