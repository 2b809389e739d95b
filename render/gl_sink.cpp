#include "gl_sink.h"

// On Windows, MinGW's <GL/gl.h> brings in <windows.h> for its calling convention.
#include <GL/gl.h>

namespace morv {
namespace {

void DrawOneLine(double x1, double y1, double x2, double y2) {
  glBegin(GL_LINES);
  glVertex2d(x1, y1);
  glVertex2d(x2, y2);
  glEnd();
}

// The vertex array is the only state this needs: colour, matrices and
// everything else are what immediate mode would use. It is switched off again
// so that the context stays as the per-segment drawing leaves it.
void DrawLineArray(const double* vertices, std::int64_t lines) {
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_DOUBLE, 0, vertices);
  glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines * 2));
  glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

GlSink::GlSink(Mode mode, const LineBufferAllocator& allocator)
    : mode_(mode), batch_(&DrawLineArray, allocator) {}

GlSink::~GlSink() { Release(); }

bool GlSink::Reserve(std::int64_t lines) {
  return batch_.Reserve(mode_ == PerSegment ? 0 : lines);
}

void GlSink::Release() {
  // No GL call: the rendering context may be gone already. Every tick flushes,
  // so nothing is pending here in practice.
  batch_.Release();
}

void GlSink::Clear() {
  batch_.Draw();
  glClear(GL_COLOR_BUFFER_BIT);
}

void GlSink::Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  batch_.Draw();  // lines given before the change keep the colour they were given in
  glColor3ub(red, green, blue);
}

void GlSink::Line(double x1, double y1, double x2, double y2) {
  if (!batch_.Add(x1, y1, x2, y2)) DrawOneLine(x1, y1, x2, y2);  // per segment, or no buffer
}

void GlSink::Flush() {
  batch_.Draw();
  glFlush();
}

void GlSink::Region(int x, int y, int width, int height, int surfaceHeight) {
  batch_.Draw();
  const int bottom = surfaceHeight - y - height;  // OpenGL counts rows from the bottom
  glViewport(x, bottom, width, height);
  glScissor(x, bottom, width, height);  // so that a clear stays inside too
  glEnable(GL_SCISSOR_TEST);
}

// At namespace scope, not a function's static: the guard of those comes, with GCC 14's
// win32 threads, from a runtime that imports Windows Vista's condition variables.
namespace {
GlSink g_saverSink(GlSink::Batched);
}  // namespace

GlSink& SaverGlSink() { return g_saverSink; }

}  // namespace morv
