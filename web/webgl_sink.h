// The drawing sink of the web page: WebGL through the page's script
// (page.js, `surface`). WebGL has no immediate mode, no glColor3ub and no
// double-precision vertices, so the sink does what the batched OpenGL sink
// does on the desktop: it collects a level's lines, as the floats OpenGL
// itself would make of the doubles, and hands them over in one draw call when
// the level is flushed, or earlier when a colour change or a clear must come
// after them.
#pragma once

#include <cstdint>

#include "draw_sink.h"

namespace morv {

class WebGlSink : public DrawSink {
 public:
  // The largest buffer Reserve takes, in lines (16 MiB); a bigger level is
  // drawn in parts of this size.
  static constexpr std::int64_t MaxReservedLines = std::int64_t{1} << 20;
  // Lines the sink always has room for, when Reserve was never called or its
  // allocation failed.
  static constexpr std::int64_t FallbackLines = 4096;

  WebGlSink();
  ~WebGlSink() override;
  WebGlSink(const WebGlSink&) = delete;
  WebGlSink& operator=(const WebGlSink&) = delete;

  // Sizes the buffer for `lines` lines (at most MaxReservedLines), drawing
  // what it still holds first; lines <= 0 gives the memory back. False when
  // the memory cannot be had: the sink then draws in parts of FallbackLines.
  bool Reserve(std::int64_t lines) override;

  void Clear() override;
  void Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
  void Line(double x1, double y1, double x2, double y2) override;
  void Flush() override;

 private:
  void DrawPending();
  void UseFallback();

  float* vertices_;         // x1 y1 x2 y2 per line
  std::int64_t capacity_;   // in lines
  std::int64_t pending_;    // lines held, not yet drawn
  bool allocated_;          // vertices_ came from Reserve
};

}  // namespace morv
