#include "headless_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace morv {
namespace {

bool Fail(HeadlessGl& gl, std::string* error, const char* call) {
  if (error != nullptr) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed (EGL error 0x%04X)", call,
                  static_cast<unsigned>(eglGetError()));
    *error = text;
  }
  DestroyHeadlessGl(gl);
  return false;
}

}  // namespace

bool CreateHeadlessGl(HeadlessGl& gl, int width, int height, std::string* error) {
  gl = HeadlessGl{EGL_NO_DISPLAY, EGL_NO_SURFACE, EGL_NO_CONTEXT, width, height};
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (clientExtensions == nullptr ||
      std::strstr(clientExtensions, "EGL_MESA_platform_surfaceless") == nullptr) {
    if (error != nullptr) *error = "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
    return false;
  }
  const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay == nullptr) return Fail(gl, error, "eglGetProcAddress(eglGetPlatformDisplayEXT)");
  gl.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (gl.display == EGL_NO_DISPLAY) return Fail(gl, error, "eglGetPlatformDisplayEXT");
  if (!eglInitialize(gl.display, nullptr, nullptr)) {
    gl.display = EGL_NO_DISPLAY;  // nothing to terminate
    return Fail(gl, error, "eglInitialize");
  }
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                     EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (!eglChooseConfig(gl.display, configAttributes, &config, 1, &configs) || configs < 1) {
    return Fail(gl, error, "eglChooseConfig");
  }
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  gl.surface = eglCreatePbufferSurface(gl.display, config, surfaceAttributes);
  if (gl.surface == EGL_NO_SURFACE) return Fail(gl, error, "eglCreatePbufferSurface");
  if (!eglBindAPI(EGL_OPENGL_API)) return Fail(gl, error, "eglBindAPI(EGL_OPENGL_API)");
  // A default (compatibility) context: the sink uses OpenGL 1.1 immediate mode.
  gl.context = eglCreateContext(gl.display, config, EGL_NO_CONTEXT, nullptr);
  if (gl.context == EGL_NO_CONTEXT) return Fail(gl, error, "eglCreateContext");
  if (!eglMakeCurrent(gl.display, gl.surface, gl.surface, gl.context)) {
    return Fail(gl, error, "eglMakeCurrent");
  }
  // As on the saver's window: the whole surface, identity matrices, black.
  glViewport(0, 0, width, height);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glFlush();
  return true;
}

void DestroyHeadlessGl(HeadlessGl& gl) {
  if (gl.display != EGL_NO_DISPLAY) {
    eglMakeCurrent(gl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (gl.context != EGL_NO_CONTEXT) eglDestroyContext(gl.display, gl.context);
    if (gl.surface != EGL_NO_SURFACE) eglDestroySurface(gl.display, gl.surface);
    eglTerminate(gl.display);
  }
  gl.display = EGL_NO_DISPLAY;
  gl.surface = EGL_NO_SURFACE;
  gl.context = EGL_NO_CONTEXT;
}

std::vector<std::uint8_t> ReadRgbTopDown(const HeadlessGl& gl) {
  const std::size_t row = static_cast<std::size_t>(gl.width) * 3;
  std::vector<std::uint8_t> rgb(row * static_cast<std::size_t>(gl.height));
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // GL counts rows from the bottom: read each into its place from the top.
  for (int y = 0; y < gl.height; ++y) {
    glReadPixels(0, gl.height - 1 - y, gl.width, 1, GL_RGB, GL_UNSIGNED_BYTE,
                 &rgb[row * static_cast<std::size_t>(y)]);
  }
  return rgb;
}

}  // namespace morv
