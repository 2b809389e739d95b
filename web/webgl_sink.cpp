#include "webgl_sink.h"

#include <emscripten/emscripten.h>

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

float g_fallback[WebGlSink::FallbackLines * LineBatch<float>::CoordinatesPerLine];

void DrawLines(const float* vertices, std::int64_t lines) {
  WebGlLines(vertices, static_cast<int>(lines));
}

}  // namespace

WebGlSink::WebGlSink()
    : batch_(&DrawLines, DefaultLineBufferAllocator(), g_fallback, FallbackLines) {}

bool WebGlSink::Reserve(std::int64_t lines) { return batch_.Reserve(lines); }

void WebGlSink::Clear() {
  batch_.Draw();
  WebGlClear();
}

void WebGlSink::Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  batch_.Draw();  // lines given before the change keep the colour they were given in
  WebGlColor(red, green, blue);
}

void WebGlSink::Line(double x1, double y1, double x2, double y2) {
  batch_.Add(x1, y1, x2, y2);  // the fallback always takes it
}

void WebGlSink::Flush() {
  // WebGL shows what was drawn when the task ends; there is nothing to flush.
  batch_.Draw();
}

}  // namespace morv
