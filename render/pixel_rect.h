// A rectangle of pixels, as the platforms list monitors.
#pragma once

namespace morv {

// Left and top inside, right and bottom just outside.
struct PixelRect {
  int left;
  int top;
  int right;
  int bottom;
};

}  // namespace morv
