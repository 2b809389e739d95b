#include "gl_sink.h"

#include <cstdlib>

// On Windows, MinGW's <GL/gl.h> brings in <windows.h> for its calling convention.
#include <GL/gl.h>

namespace morv {
namespace {

constexpr int DoublesPerLine = 4;

void* MallocLineBuffer(std::size_t bytes) { return std::malloc(bytes); }
void FreeLineBuffer(void* buffer) { std::free(buffer); }

const LineBufferAllocator MallocLineBuffers = {&MallocLineBuffer, &FreeLineBuffer};

void DrawOneLine(double x1, double y1, double x2, double y2) {
  glBegin(GL_LINES);
  glVertex2d(x1, y1);
  glVertex2d(x2, y2);
  glEnd();
}

}  // namespace

const LineBufferAllocator& DefaultLineBufferAllocator() { return MallocLineBuffers; }

GlSink::GlSink(Mode mode, const LineBufferAllocator& allocator)
    : mode_(mode), allocator_(allocator), vertices_(nullptr), capacity_(0), pending_(0) {}

GlSink::~GlSink() { Release(); }

bool GlSink::Reserve(std::int64_t lines) {
  DrawPending();
  Release();
  if (mode_ == PerSegment || lines <= 0) return true;
  if (lines > MaxReservedLines) lines = MaxReservedLines;
  const std::size_t bytes = static_cast<std::size_t>(lines) * DoublesPerLine * sizeof(double);
  vertices_ = static_cast<double*>(allocator_.allocate(bytes));
  if (vertices_ == nullptr) return false;  // line by line from here on
  capacity_ = lines;
  return true;
}

void GlSink::Release() {
  // No GL call: the rendering context may be gone already. Every tick flushes,
  // so nothing is pending here in practice.
  if (vertices_ != nullptr) allocator_.release(vertices_);
  vertices_ = nullptr;
  capacity_ = 0;
  pending_ = 0;
}

void GlSink::Clear() {
  DrawPending();
  glClear(GL_COLOR_BUFFER_BIT);
}

void GlSink::Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  DrawPending();  // lines given before the change keep the colour they were given in
  glColor3ub(red, green, blue);
}

void GlSink::Line(double x1, double y1, double x2, double y2) {
  if (capacity_ == 0) {  // per segment, or no buffer
    DrawOneLine(x1, y1, x2, y2);
    return;
  }
  if (pending_ == capacity_) DrawPending();  // a level larger than the buffer: in parts
  double* v = vertices_ + pending_ * DoublesPerLine;
  v[0] = x1;
  v[1] = y1;
  v[2] = x2;
  v[3] = y2;
  ++pending_;
}

void GlSink::Flush() {
  DrawPending();
  glFlush();
}

void GlSink::Region(int x, int y, int width, int height, int surfaceHeight) {
  DrawPending();
  const int bottom = surfaceHeight - y - height;  // OpenGL counts rows from the bottom
  glViewport(x, bottom, width, height);
  glScissor(x, bottom, width, height);  // so that a clear stays inside too
  glEnable(GL_SCISSOR_TEST);
}

void GlSink::DrawPending() {
  if (pending_ == 0) return;
  // The vertex array is the only state this needs: colour, matrices and
  // everything else are what immediate mode would use. It is switched off
  // again so that the context stays as the per-segment drawing leaves it.
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_DOUBLE, 0, vertices_);
  glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(pending_ * 2));
  glDisableClientState(GL_VERTEX_ARRAY);
  pending_ = 0;
}

GlSink& SaverGlSink() {
  static GlSink sink(GlSink::Batched);
  return sink;
}

}  // namespace morv
