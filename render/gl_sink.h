// The OpenGL 1.1 drawing sink, shared by every front end: the rendering context
// must be current on the calling thread. The projection and model-view stay the
// identity, so coordinates are normalised device coordinates.
#pragma once

#include <cstdint>

#include "draw_sink.h"

namespace morv {

class GlSink : public DrawSink {
 public:
  void Clear() override;                                                   // glClear
  void Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;  // glColor3ub
  void Line(double x1, double y1, double x2, double y2) override;         // one GL_LINES pair
  void Flush() override;                                                   // glFlush
};

}  // namespace morv
