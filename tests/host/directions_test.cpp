// The engine takes its sines and cosines from a constant table; the recorded ferns
// were drawn with glibc's. The table must be exactly what this host's library gives
// for the fern's conversion to radians, in double arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "directions.h"

namespace morv {
namespace {

std::uint64_t Bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(DirectionTable, HoldsTheHostLibrarysSinesAndCosines) {
  int differing = 0;
  for (int step = FirstDirectionStep; step <= LastDirectionStep; ++step) {
    const double degrees = step * DegreesPerStep;
    // Stored, so that each operation is rounded to a double on any floating-point unit.
    volatile double radians = degrees * 3.1415926535;
    radians = radians / 180;
    const Direction& d = DirectionOf(step);
    if (Bits(d.sine) != Bits(std::sin(radians)) || Bits(d.cosine) != Bits(std::cos(radians))) {
      ADD_FAILURE() << degrees << " degrees: the table has " << d.sine << ", " << d.cosine
                    << "; the library gives " << std::sin(radians) << ", " << std::cos(radians);
      if (++differing == 5) break;
    }
  }
  EXPECT_EQ(differing, 0) << "python3 tools/direction_table.py > fern/directions.cpp "
                             "on a glibc machine writes the table";
}

}  // namespace
}  // namespace morv
