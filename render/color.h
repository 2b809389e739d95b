// The colour cycle: one step around the saturated edge of the RGB cube per drawn level.
#pragma once

#include <cstdint>

namespace morv {

struct DrawColor {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

constexpr DrawColor StartColor = {0, 255, 0};

// One step; a colour off the cycle stays as it is.
void StepDrawColor(DrawColor& color);

}  // namespace morv
