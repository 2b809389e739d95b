#include "gl_sink.h"

// On Windows, MinGW's <GL/gl.h> brings in <windows.h> for its calling convention.
#include <GL/gl.h>

namespace morv {

void GlSink::Clear() { glClear(GL_COLOR_BUFFER_BIT); }

void GlSink::Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  glColor3ub(red, green, blue);
}

void GlSink::Line(double x1, double y1, double x2, double y2) {
  glBegin(GL_LINES);
  glVertex2d(x1, y1);
  glVertex2d(x2, y2);
  glEnd();
}

void GlSink::Flush() { glFlush(); }

}  // namespace morv
