#include "glx_surface.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstring>

namespace morv {
namespace {

// Framebuffer objects are OpenGL 3.0 or GL_ARB_framebuffer_object: fetched at
// run time, since libGL need not export them.
struct FramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;
};
FramebufferCalls g_fbo{};

template <typename Call>
bool Load(Call* call, const char* name) {
  *call = reinterpret_cast<Call>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
  return *call != nullptr;
}

bool HasFramebufferObjects() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const bool core = version != nullptr && version[0] >= '3' && version[0] <= '9';
  const bool extension =
      extensions != nullptr && std::strstr(extensions, "GL_ARB_framebuffer_object") != nullptr;
  if (!core && !extension) return false;
  FramebufferCalls& f = g_fbo;
  return Load(&f.genFramebuffers, "glGenFramebuffers") &&
         Load(&f.deleteFramebuffers, "glDeleteFramebuffers") &&
         Load(&f.bindFramebuffer, "glBindFramebuffer") &&
         Load(&f.genRenderbuffers, "glGenRenderbuffers") &&
         Load(&f.deleteRenderbuffers, "glDeleteRenderbuffers") &&
         Load(&f.bindRenderbuffer, "glBindRenderbuffer") &&
         Load(&f.renderbufferStorage, "glRenderbufferStorage") &&
         Load(&f.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
         Load(&f.checkFramebufferStatus, "glCheckFramebufferStatus") &&
         Load(&f.blitFramebuffer, "glBlitFramebuffer");
}

// Storage for w x h, or false when the framebuffer cannot be that large.
bool SizeFramebuffer(GlxSurface& s, int width, int height) {
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  if (width > largest || height > largest) return false;
  const FramebufferCalls& f = g_fbo;
  f.bindRenderbuffer(GL_RENDERBUFFER, s.renderbuffer);
  f.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  f.bindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
  f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.renderbuffer);
  return f.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void DropFramebuffer(GlxSurface& s) {
  if (s.framebuffer == 0) return;
  const FramebufferCalls& f = g_fbo;
  f.bindFramebuffer(GL_FRAMEBUFFER, 0);
  f.deleteFramebuffers(1, &s.framebuffer);
  f.deleteRenderbuffers(1, &s.renderbuffer);
  s.framebuffer = 0;
  s.renderbuffer = 0;
}

// Where the ticks draw: the offscreen picture, or else the window's front buffer.
void DrawIntoPicture(GlxSurface& s) {
  if (s.framebuffer != 0) {
    g_fbo.bindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
  } else {
    glDrawBuffer(GL_FRONT);
  }
  glViewport(0, 0, s.width, s.height);
  glClear(GL_COLOR_BUFFER_BIT);
}

// A presented frame should not wait for the monitor: at 10 ms a tick that
// would hold the loop back. Absent on many drivers; then nothing changes.
void DoNotWaitForVerticalBlank(GlxSurface& s) {
  const char* extensions = glXQueryExtensionsString(s.display, DefaultScreen(s.display));
  if (extensions == nullptr) return;
  if (std::strstr(extensions, "GLX_EXT_swap_control") != nullptr) {
    PFNGLXSWAPINTERVALEXTPROC swapInterval = nullptr;
    if (Load(&swapInterval, "glXSwapIntervalEXT")) swapInterval(s.display, s.window, 0);
  } else if (std::strstr(extensions, "GLX_MESA_swap_control") != nullptr) {
    PFNGLXSWAPINTERVALMESAPROC swapInterval = nullptr;
    if (Load(&swapInterval, "glXSwapIntervalMESA")) swapInterval(0);
  }
}

}  // namespace

XVisualInfo* ChooseGlxVisual(Display* display, int screen) {
  int doubleBuffered[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                          GLX_BLUE_SIZE, 8, None};
  XVisualInfo* visual = glXChooseVisual(display, screen, doubleBuffered);
  if (visual != nullptr) return visual;
  int singleBuffered[] = {GLX_RGBA, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
  return glXChooseVisual(display, screen, singleBuffered);
}

XVisualInfo* WindowGlxVisual(Display* display, Window window, const Visual* visual,
                             char (&error)[GlxErrorTextChars]) {
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(const_cast<Visual*>(visual));
  int count = 0;
  XVisualInfo* info = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
  int usesGl = 0;
  int rgba = 0;
  if (info != nullptr) {
    glXGetConfig(display, info, GLX_USE_GL, &usesGl);
    glXGetConfig(display, info, GLX_RGBA, &rgba);
  }
  if (info == nullptr || !usesGl || !rgba) {
    std::snprintf(error, sizeof error, "window 0x%lx has no OpenGL RGBA visual",
                  static_cast<unsigned long>(window));
    if (info != nullptr) XFree(info);
    return nullptr;
  }
  return info;
}

bool CreateGlxSurface(GlxSurface& s, Display* display, Window window, XVisualInfo* visual,
                      int width, int height, char (&error)[GlxErrorTextChars]) {
  s = GlxSurface{display, window, nullptr, false, 0, 0, width, height};
  int doubleBuffered = 0;
  glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffered);
  s.doubleBuffered = doubleBuffered != 0;
  s.context = glXCreateContext(display, visual, nullptr, True);
  if (s.context == nullptr) {
    std::snprintf(error, sizeof error, "cannot create an OpenGL context");
    return false;
  }
  if (!glXMakeCurrent(display, window, s.context)) {
    glXDestroyContext(display, s.context);
    s.context = nullptr;
    std::snprintf(error, sizeof error, "cannot draw into window 0x%lx with OpenGL",
                  static_cast<unsigned long>(window));
    return false;
  }
  DoNotWaitForVerticalBlank(s);
  if (HasFramebufferObjects()) {
    g_fbo.genFramebuffers(1, &s.framebuffer);
    g_fbo.genRenderbuffers(1, &s.renderbuffer);
    if (!SizeFramebuffer(s, width, height)) DropFramebuffer(s);
  }
  // The identity matrices and the black clear colour are OpenGL's defaults,
  // which the drawing relies on as on Windows.
  DrawIntoPicture(s);
  return true;
}

void ResizeGlxSurface(GlxSurface& s, int width, int height) {
  s.width = width;
  s.height = height;
  if (s.framebuffer != 0 && !SizeFramebuffer(s, width, height)) DropFramebuffer(s);
  DrawIntoPicture(s);
}

void PresentGlxSurface(GlxSurface& s) {
  if (s.framebuffer == 0) {  // the picture is the front buffer
    glFlush();
    return;
  }
  const FramebufferCalls& f = g_fbo;
  f.bindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer);
  f.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDrawBuffer(s.doubleBuffered ? GL_BACK : GL_FRONT);
  f.blitFramebuffer(0, 0, s.width, s.height, 0, 0, s.width, s.height, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  if (s.doubleBuffered) {
    glXSwapBuffers(s.display, s.window);
  } else {
    glFlush();
  }
  f.bindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
}

void DestroyGlxSurface(GlxSurface& s) {
  if (s.context != nullptr) {
    DropFramebuffer(s);
    glXMakeCurrent(s.display, None, nullptr);
    glXDestroyContext(s.display, s.context);
  }
  s.context = nullptr;
  s.framebuffer = 0;
  s.renderbuffer = 0;
}

}  // namespace morv
