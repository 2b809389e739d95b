// The drawing sink of the web page: WebGL through the page's script
// (page.js, `surface`). WebGL has no immediate mode, no glColor3ub and no
// double-precision vertices, so the sink batches its lines as the OpenGL sink
// does on the desktop (line_batch.h), as the floats OpenGL itself would make
// of the doubles.
#pragma once

#include <cstdint>

#include "draw_sink.h"
#include "line_batch.h"

namespace morv {

class WebGlSink : public DrawSink {
 public:
  // Lines the sink always has room for, when Reserve was never called or its
  // allocation failed.
  static constexpr std::int64_t FallbackLines = 4096;

  WebGlSink();
  ~WebGlSink() override = default;
  WebGlSink(const WebGlSink&) = delete;
  WebGlSink& operator=(const WebGlSink&) = delete;

  // Sizes the buffer for `lines` lines (at most LineBatch's MaxReservedLines), drawing
  // what it still holds first; lines <= 0 gives the memory back. False when
  // the memory cannot be had: the sink then draws in parts of FallbackLines.
  bool Reserve(std::int64_t lines) override;

  void Clear() override;
  void Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
  void Line(double x1, double y1, double x2, double y2) override;
  void Flush() override;

 private:
  LineBatch<float> batch_;
};

}  // namespace morv
