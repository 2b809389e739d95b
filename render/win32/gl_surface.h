// The saver window's OpenGL surface: what the window holds from WM_CREATE to
// WM_DESTROY, and the set-up calls that tests make fail.
#pragma once

#include <windows.h>

namespace morv {

constexpr UINT_PTR AnimationTimerId = 1;

// Each field is null (0) while not held, so the destroy sequence releases only
// what creation acquired, and nothing twice.
struct GlSurfaceState {
  HDC deviceContext;
  HGLRC renderingContext;
  UINT_PTR timerId;
  int bitsPerPixel;  // the screen's colour depth the pixel format was chosen for
};

GlSurfaceState& GlSurface();
void ResetGlSurface(GlSurfaceState& surface);

// The pixel-format and context calls; the real ones by default.
struct GlSurfaceCalls {
  decltype(&::ChoosePixelFormat) choosePixelFormat;
  decltype(&::SetPixelFormat) setPixelFormat;
  decltype(&::DescribePixelFormat) describePixelFormat;
  decltype(&::wglCreateContext) createContext;
  decltype(&::wglMakeCurrent) makeCurrent;
  decltype(&::wglDeleteContext) deleteContext;
};

GlSurfaceCalls& GlSurfacePlatform();
void ResetGlSurfacePlatform(GlSurfaceCalls& calls);

// Single-buffered RGBA, 32 colour bits, nothing else: the picture accumulates
// from tick to tick without a buffer swap.
PIXELFORMATDESCRIPTOR SaverPixelFormatRequest();

}  // namespace morv
