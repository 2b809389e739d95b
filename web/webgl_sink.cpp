#include "webgl_sink.h"

#include <emscripten/emscripten.h>

#include <cstdlib>

// The page's WebGL surface (page.js). Pointers reach JavaScript as signed
// 32-bit numbers; `>>> 2` reads them unsigned, so memory past 2 GB works too.
EM_JS(void, WebGlClear, (), { Module.surface.clear(); });
EM_JS(void, WebGlColor, (int red, int green, int blue), { Module.surface.color(red, green, blue); });
EM_JS(void, WebGlLines, (const float* vertices, int lines), {
  const first = vertices >>> 2;
  Module.surface.lines(HEAPF32.subarray(first, first + lines * 4), lines);
});

namespace morv {
namespace {

constexpr int FloatsPerLine = 4;

float g_fallback[WebGlSink::FallbackLines * FloatsPerLine];

}  // namespace

WebGlSink::WebGlSink() : vertices_(nullptr), capacity_(0), pending_(0), allocated_(false) {
  UseFallback();
}

WebGlSink::~WebGlSink() {
  if (allocated_) std::free(vertices_);
}

void WebGlSink::UseFallback() {
  if (allocated_) std::free(vertices_);
  vertices_ = g_fallback;
  capacity_ = FallbackLines;
  allocated_ = false;
}

bool WebGlSink::Reserve(std::int64_t lines) {
  DrawPending();
  UseFallback();
  if (lines <= FallbackLines) return true;
  if (lines > MaxReservedLines) lines = MaxReservedLines;
  void* memory = std::malloc(static_cast<std::size_t>(lines) * FloatsPerLine * sizeof(float));
  if (memory == nullptr) return false;
  vertices_ = static_cast<float*>(memory);
  capacity_ = lines;
  allocated_ = true;
  return true;
}

void WebGlSink::Clear() {
  DrawPending();
  WebGlClear();
}

void WebGlSink::Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  DrawPending();  // lines given before the change keep the colour they were given in
  WebGlColor(red, green, blue);
}

void WebGlSink::Line(double x1, double y1, double x2, double y2) {
  if (pending_ == capacity_) DrawPending();
  float* v = vertices_ + pending_ * FloatsPerLine;
  v[0] = static_cast<float>(x1);
  v[1] = static_cast<float>(y1);
  v[2] = static_cast<float>(x2);
  v[3] = static_cast<float>(y2);
  ++pending_;
}

void WebGlSink::Flush() {
  // WebGL shows what was drawn when the task ends; there is nothing to flush.
  DrawPending();
}

void WebGlSink::DrawPending() {
  if (pending_ == 0) return;
  WebGlLines(vertices_, static_cast<int>(pending_));
  pending_ = 0;
}

}  // namespace morv
