#include "color.h"

namespace morv {

void StepDrawColor(DrawColor& c) {
  // Around the saturated edge of the RGB cube, one unit in one channel per step:
  // green, yellow, red, magenta, blue, cyan, green. The order of the tests
  // decides the corners, where two rules would otherwise both hold.
  if (c.red < 255 && c.green == 255 && c.blue == 0) {
    ++c.red;
  } else if (c.red == 255 && c.green > 0 && c.blue == 0) {
    --c.green;
  } else if (c.red == 255 && c.green == 0 && c.blue < 255) {
    ++c.blue;
  } else if (c.red > 0 && c.green == 0 && c.blue == 255) {
    --c.red;
  } else if (c.red == 0 && c.green < 255 && c.blue == 255) {
    ++c.green;
  } else if (c.red == 0 && c.green == 255 && c.blue > 0) {
    --c.blue;
  }
  // Off the cycle: no rule holds and the colour stays.
}

}  // namespace morv
