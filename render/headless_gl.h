// An offscreen OpenGL surface on the Linux host, without a window system:
// Mesa's surfaceless EGL platform with a pbuffer of the requested size. The
// surface is never swapped, so what is drawn accumulates as on the saver's
// single-buffered window. Host only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morv {

struct HeadlessGl {
  void* display;  // EGLDisplay
  void* surface;  // EGLSurface
  void* context;  // EGLContext
  int width;
  int height;
};

// Creates the surface and makes its context current on this thread, with the
// viewport over the whole surface and the surface cleared to black. On failure
// returns false with a one-line reason in *error and nothing left to destroy.
bool CreateHeadlessGl(HeadlessGl& gl, int width, int height, std::string* error);

// Releases the context and the surface; safe on a zeroed record.
void DestroyHeadlessGl(HeadlessGl& gl);

// The picture as 8-bit RGB, top row first (GL reads bottom row first).
std::vector<std::uint8_t> ReadRgbTopDown(const HeadlessGl& gl);

}  // namespace morv
