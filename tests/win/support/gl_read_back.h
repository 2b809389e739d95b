// Pixels read back from a window's OpenGL surface, on the thread where its
// context is current. (Wine shows a GL window through the X server only: GDI
// reads of the screen do not see what OpenGL drew.)
#pragma once

#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace morv::test {

// RGBA bytes of the rectangle at (x, y), width by height, in client pixels
// (origin top-left, y down) of a surface `surfaceHeight` pixels high; the rows
// come top-down.
inline std::vector<unsigned char> ReadBackRgba(int x, int y, int width, int height,
                                               int surfaceHeight) {
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  std::vector<unsigned char> bottomUp(row * height);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, surfaceHeight - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
               bottomUp.data());
  std::vector<unsigned char> topDown(bottomUp.size());
  for (int r = 0; r < height; ++r) {
    std::copy_n(&bottomUp[(height - 1 - r) * row], row, &topDown[r * row]);
  }
  return topDown;
}

// Pixels that are not black in that rectangle.
inline int LitPixels(int x, int y, int width, int height, int surfaceHeight) {
  const std::vector<unsigned char> rgba = ReadBackRgba(x, y, width, height, surfaceHeight);
  int lit = 0;
  for (std::size_t i = 0; i < rgba.size(); i += 4) lit += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0;
  return lit;
}

}  // namespace morv::test
