// Where the animation draws: four operations, so the same tick logic drives
// OpenGL on the window, an offscreen surface, or a recorder in tests.
#pragma once

#include <cstdint>

namespace morv {

class DrawSink {
 public:
  virtual ~DrawSink() = default;
  virtual void Clear() = 0;                                                   // whole surface black
  virtual void Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
  virtual void Line(double x1, double y1, double x2, double y2) = 0;         // device coordinates
  virtual void Flush() = 0;
  // Room for levels of up to `lines` lines, taken once the ferns are computed so
  // that drawing never allocates; 0 gives it back. False when it could not be
  // had: the sink still draws, only less efficiently. Sinks that keep nothing
  // ignore it.
  virtual bool Reserve(std::int64_t lines) {
    (void)lines;
    return true;
  }
};

}  // namespace morv
