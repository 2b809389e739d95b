// The OpenGL 1.1 drawing sink, shared by every front end: the rendering context
// must be current on the calling thread. The projection and model-view stay the
// identity, so coordinates are normalised device coordinates.
//
// Two ways to draw the same picture:
// - PerSegment: every line is its own glBegin(GL_LINES)/glVertex2d x2/glEnd.
// - Batched: lines are collected, as the doubles glVertex2d would get, in a
//   buffer sized once by Reserve, and drawn with one glDrawArrays(GL_LINES)
//   from a GL_DOUBLE vertex array when the level is flushed, or earlier when a
//   colour change or a clear must come after them. A level larger than the
//   buffer is drawn in buffer-sized parts; a batched sink without a buffer
//   (never reserved, or its allocation failed) draws line by line.
#pragma once

#include <cstdint>

#include "draw_sink.h"
#include "line_batch.h"

namespace morv {

class GlSink : public DrawSink {
 public:
  enum Mode { PerSegment, Batched };

  // The largest buffer Reserve takes, in lines (32 MiB); bigger levels are
  // drawn in parts of this size.
  static constexpr std::int64_t MaxReservedLines = LineBatch<double>::MaxReservedLines;

  explicit GlSink(Mode mode = Batched,
                  const LineBufferAllocator& allocator = DefaultLineBufferAllocator());
  ~GlSink() override;
  GlSink(const GlSink&) = delete;
  GlSink& operator=(const GlSink&) = delete;

  // Sizes the buffer for `lines` lines (capped at MaxReservedLines), replacing
  // any earlier one after drawing what it still holds; call it once, after the
  // precomputation, with LargestLevelSegments. Lines <= 0 frees the buffer.
  // Returns false when the buffer cannot be allocated: the sink then draws
  // line by line. A PerSegment sink keeps no buffer and returns true.
  bool Reserve(std::int64_t lines) override;
  // Draws what is buffered and frees the buffer (as Reserve(0)).
  void Release();

  // Clear, Color and Flush first draw the lines still buffered.
  void Clear() override;                                                   // glClear
  void Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;  // glColor3ub
  void Line(double x1, double y1, double x2, double y2) override;  // buffered, or a GL_LINES pair
  void Flush() override;                                                   // glFlush

  // From here on draws, and clears, only inside the rectangle of `width` by
  // `height` pixels at (x, y) from the surface's top-left corner, with the
  // device coordinates spanning it: viewport and scissor box. OpenGL counts y
  // from the bottom, hence the surface's height.
  void Region(int x, int y, int width, int height, int surfaceHeight);

  Mode CurrentMode() const { return mode_; }
  // Lines the buffer holds at most (0: drawing line by line), and where it is.
  std::int64_t Capacity() const { return batch_.Capacity(); }
  const double* Buffer() const { return batch_.Buffer(); }
  std::int64_t PendingLines() const { return batch_.Pending(); }

 private:
  Mode mode_;
  LineBatch<double> batch_;  // without a buffer it takes no lines: line by line
};

// The sink the saver window draws with: batched, its buffer reserved once the
// ferns are computed and released with them.
GlSink& SaverGlSink();

}  // namespace morv
