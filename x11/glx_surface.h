// OpenGL on an X window for the display mode. The picture accumulates from tick
// to tick, as on the Windows saver's single-buffered window, but not in the
// window: under a compositing window manager a window's front buffer is not a
// reliable place to keep pixels, and a double-buffered window's back buffer is
// undefined after every swap. The ticks draw into an offscreen framebuffer of
// the window's size that nothing else touches; presenting copies it into the
// window's back buffer and swaps (front buffer and flush on a single-buffered
// visual). A copy costs the same at any depth level, where redrawing earlier
// levels would cost up to millions of lines at 3840x2160. Without framebuffer
// objects the ticks draw straight into the front buffer, as on Windows.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>

namespace morv {

constexpr int GlxErrorTextChars = 160;

struct GlxSurface {
  Display* display;
  Window window;
  GLXContext context;
  bool doubleBuffered;
  // The accumulated picture; 0 when drawing straight into the window.
  GLuint framebuffer;
  GLuint renderbuffer;
  int width;
  int height;
};

// A visual for a window of our own: RGB, 8 bits a channel, double-buffered if
// there is one. Null when the display has none; XFree the result.
XVisualInfo* ChooseGlxVisual(Display* display, int screen);

// The visual of an existing window, for drawing into a window someone else made.
// Null (with a reason) when it cannot take OpenGL; XFree the result.
XVisualInfo* WindowGlxVisual(Display* display, Window window, const Visual* visual,
                             char (&error)[GlxErrorTextChars]);

// A direct-rendering context current on `window`, the picture black and
// w x h. False with a one-line reason; nothing is then left to destroy.
bool CreateGlxSurface(GlxSurface& surface, Display* display, Window window, XVisualInfo* visual,
                      int width, int height, char (&error)[GlxErrorTextChars]);

// A new size: the picture is cleared to black and the viewport covers it.
void ResizeGlxSurface(GlxSurface& surface, int width, int height);

// Shows the picture in the window.
void PresentGlxSurface(GlxSurface& surface);

// Releases the context and the framebuffer; safe on a zeroed record. The
// window may be gone already.
void DestroyGlxSurface(GlxSurface& surface);

}  // namespace morv
